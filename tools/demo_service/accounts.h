// The demo service's subscribers, read from a text file (format in accounts.txt).
#pragma once
#include <istream>
#include <map>
#include <optional>
#include <string>

namespace qvx::demo {

struct Account {
  std::string name;
  std::string password;
  std::string level;        // "0" trial, "1" regular, "2" salesman, "3" agent, "83" admin
  std::string expiry_time;  // year-month-day hour:minute:second
  std::string days_left;
  std::string points;
  std::string external_ip;  // reported to the client as its public address
};

class AccountBook {
 public:
  // Reads one account a line; blank lines and lines starting with '#' are skipped.
  // A malformed line makes the whole book invalid, with the reason in error().
  static AccountBook parse(std::istream& in);
  static AccountBook load(const std::string& path);

  bool valid() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  std::size_t size() const { return accounts_.size(); }
  std::optional<Account> find(const std::string& name) const;
  void add(Account account);

 private:
  std::map<std::string, Account> accounts_;
  std::string error_;
};

}  // namespace qvx::demo
