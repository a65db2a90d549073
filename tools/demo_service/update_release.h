// The release the demo service offers to update.exe: a setup file and its version.
#pragma once
#include <optional>
#include <string>

namespace qvx::demo {

struct UpdateRelease {
  std::string file_name;  // served as /dl/<file_name>
  std::string bytes;
  std::string version;  // MAJOR.MM[.P]
  std::string sha256;

  // Reads the setup; nothing (with a reason) when it cannot be read or the version is
  // malformed.
  static std::optional<UpdateRelease> load(const std::string& path, const std::string& version,
                                           std::string* error);
  // The manifest of /ClientComm/update.asp, the URL at the given host[:port].
  std::string manifest(const std::string& authority) const;
};

}  // namespace qvx::demo
