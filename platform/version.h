// The Windows version query.
#pragma once
#include <cstdint>
#include <string>

namespace qvx::platform {

// OSVERSIONINFOA: size member 148.
struct OsVersion {
  std::uint32_t size = 148;
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  std::uint32_t platform_id = 0;
  std::string service_pack;
};

class SystemVersion {
 public:
  virtual ~SystemVersion() = default;
  virtual bool get(OsVersion& version) = 0;  // GetVersionExA
};

}  // namespace qvx::platform
