// The plain content of softsetup.ini and user.ini, read into and written from the client
// record by the tables of site_config_fields.h and user_ini_fields.h. The file procedures
// around them (scrambling, the login window's boxes) live in settings_files.cpp.
#pragma once
#include <string>

namespace qvx {

struct ClientRecord;
struct Deployment;

// The built-in values of the softsetup.ini members, for a missing or short file.
void set_site_config_defaults(ClientRecord& record, const Deployment& deployment);

// White-space-separated key=value tokens; the position decides the member, and a short
// content keeps the values the members had for the rest.
void read_site_config_content(const std::string& plain, ClientRecord& record);

// The lines of user.ini, read in steps so that the login window can set its boxes between
// them. Once the content runs out or a number line holds no number, reading stops and every
// later member keeps its value.
class UserSettingsReader {
 public:
  explicit UserSettingsReader(const std::string& plain) : text_(plain) {}
  // Reads the lines not read yet, up to and including line `last`.
  void read_through(int last, ClientRecord& record);
  void read_rest(ClientRecord& record);

 private:
  bool next_line(std::string& line);

  const std::string& text_;
  std::size_t pos_ = 0;
  int lines_read_ = 0;
  bool reading_ = true;
};

// Every line as it is saved, each ended by a line break.
std::string user_settings_content(const ClientRecord& record);

}  // namespace qvx
