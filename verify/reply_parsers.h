// Reading the verification servers' replies straight into the client record.
#pragma once
#include <cstddef>
#include <string>

namespace qvx {

struct ClientRecord;

constexpr std::size_t kVerificationLineMax = 199;
// The token replies are read no further than this: a full list of 49 nodes and 50 ticker
// entries with long links stays far below it, and a hostile reply costs no more memory.
constexpr std::size_t kTokenReplyMax = 256 * 1024;

// The first line of a reply read in text mode: up to the first line feed, at most 199 bytes.
std::string first_line(const std::string& text);

// The "@"-separated fields of the verification line, taken one after the other. The thread
// reads the two versions, checks them, and only then reads the rest.
class VerificationFields {
 public:
  explicit VerificationFields(const std::string& line);
  bool accepted() const { return accepted_; }  // the line begins with "200@"
  // The text up to the next "@", which is removed with it; without an "@" the whole
  // remaining text, which then stays for every later field.
  std::string next();
  void read_versions(ClientRecord& record);  // fields 1 and 2
  void read_account(ClientRecord& record);   // fields 3 to 9

 private:
  bool accepted_;
  std::string rest_;
};

// Whitespace-separated token replies (text after text-mode conversion).
void parse_node_list(const std::string& text, ClientRecord& record);
void parse_service_settings(const std::string& text, ClientRecord& record);

}  // namespace qvx
