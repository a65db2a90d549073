#include "accounts.h"

#include <fstream>
#include <sstream>

namespace qvx::demo {

AccountBook AccountBook::parse(std::istream& in) {
  AccountBook book;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    std::istringstream fields(line);
    Account a;
    std::string date, time, extra;
    if (!(fields >> a.name >> a.password >> a.level >> date >> time >> a.days_left >> a.points >>
          a.external_ip) ||
        (fields >> extra && extra[0] != '#')) {
      book.error_ = "line " + std::to_string(number) + ": expected 8 fields";
      return book;
    }
    a.expiry_time = date + " " + time;
    if (book.accounts_.count(a.name)) {
      book.error_ = "line " + std::to_string(number) + ": account " + a.name + " appears twice";
      return book;
    }
    book.add(std::move(a));
  }
  return book;
}

AccountBook AccountBook::load(const std::string& path) {
  std::ifstream in(path);
  if (!in) {
    AccountBook book;
    book.error_ = "cannot open " + path;
    return book;
  }
  return parse(in);
}

std::optional<Account> AccountBook::find(const std::string& name) const {
  const auto it = accounts_.find(name);
  if (it == accounts_.end()) return std::nullopt;
  return it->second;
}

void AccountBook::add(Account account) {
  const std::string name = account.name;
  accounts_[name] = std::move(account);
}

}  // namespace qvx::demo
