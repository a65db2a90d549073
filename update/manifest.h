// The service's description of the current release (/ClientComm/update.asp): ASCII lines
//   quovix-update 1
//   version=2.43.1
//   number=2431
//   url=http://host/dl/quovix-2.43.1-setup.exe
//   size=1234567
//   sha256=<64 hex digits>
// Unknown keys are ignored, so a newer service may add some.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace qvx::update {

inline constexpr const char kManifestHeader[] = "quovix-update 1";
inline constexpr std::uint64_t kMinSetupSize = 1024;
inline constexpr std::uint64_t kMaxSetupSize = 512ull << 20;
// A reply longer than this is not a manifest.
inline constexpr std::size_t kMaxManifestSize = 8192;

struct Manifest {
  std::string version;  // as shown: MAJOR.MM[.P]
  std::string number;   // the service's four digits, compared as text
  std::string url;
  std::uint64_t size = 0;
  std::string sha256;  // lowercase
};

struct ManifestResult {
  std::optional<Manifest> manifest;
  std::string error;  // why the reply was refused, for the log
};

ManifestResult parse_manifest(const std::string& text);

// MAJOR.MM[.P] as the service's four-digit number ("2.43" -> "2430"), empty when malformed;
// the mapping of cmake/version.cmake.
std::string version_number(const std::string& display);

}  // namespace qvx::update
