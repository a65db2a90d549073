#include "update_release.h"

#include <fstream>
#include <sstream>

#include "update/manifest.h"
#include "update/sha256.h"

namespace qvx::demo {

std::optional<UpdateRelease> UpdateRelease::load(const std::string& path,
                                                 const std::string& version, std::string* error) {
  if (update::version_number(version).empty()) {
    *error = "update version '" + version + "' is not MAJOR.MM[.P]";
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  if (!in || !(bytes << in.rdbuf())) {
    *error = "cannot read " + path;
    return std::nullopt;
  }
  UpdateRelease release;
  release.file_name = path.substr(path.find_last_of('/') + 1);
  release.bytes = bytes.str();
  release.version = version;
  release.sha256 = update::sha256_hex(release.bytes);
  return release;
}

std::string UpdateRelease::manifest(const std::string& authority) const {
  return std::string(update::kManifestHeader) + "\r\nversion=" + version +
         "\r\nnumber=" + update::version_number(version) + "\r\nurl=http://" + authority + "/dl/" +
         file_name + "\r\nsize=" + std::to_string(bytes.size()) + "\r\nsha256=" + sha256 + "\r\n";
}

}  // namespace qvx::demo
