// The plain content of softsetup.ini and user.ini, read into and written from the client
// record. The file procedures around them (scrambling, the login window's boxes) live in
// settings_files.cpp.
#pragma once
#include <string>

namespace qvx {

struct ClientRecord;

// Seven white-space-separated key=value tokens; the position decides the member, and a short
// content keeps the values the members had for the rest.
void read_site_config_content(const std::string& plain, ClientRecord& record);

// The lines of user.ini, read in steps so that the login window can set its
// boxes between them. Once the content runs out or a number line holds no number, reading
// stops and every later member keeps its value.
class UserSettingsReader {
 public:
  explicit UserSettingsReader(const std::string& plain) : text_(plain) {}
  void read_account(ClientRecord& record);   // lines 1 and 2
  void read_password(ClientRecord& record);  // lines 3 and 4
  void read_options(ClientRecord& record);   // lines 5 to 13
  // Line 14, which older versions neither write nor read.
  void read_redial(ClientRecord& record);

 private:
  void read_number(int& member);
  void read_text(std::string& member);
  bool next_line(std::string& line);

  const std::string& text_;
  std::size_t pos_ = 0;
  bool reading_ = true;
};

// The fourteen lines as they are saved; the first thirteen are what older versions read.
std::string user_settings_content(const ClientRecord& record);

}  // namespace qvx
