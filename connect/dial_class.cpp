// QVX-UNBUILT: comes with the dialer work.
#include "connect/dial_class.h"

#include <cstring>

namespace qvx {

const char kBrandPrefix[] = "Quovix加速";

bool has_brand_prefix(const std::string& name) {
  return name.compare(0, std::strlen(kBrandPrefix), kBrandPrefix) == 0;
}

Dial_class::Dial_class(platform::Ras& ras) : ras_(ras) {}
void Dial_class::set_os_version(std::uint32_t version) { os_version_number = version; }
int Dial_class::dial(const std::string&, const std::string&, const std::string&,
                     const std::string&, platform::RasHandle&, int, int) {
  throw error_message{2, 1};
}
int Dial_class::hang_up(platform::RasHandle&) { throw error_message{3, 0}; }
std::uint32_t Dial_class::connect_status(platform::RasHandle) { return platform::kRasDisconnected; }
int Dial_class::statistics(platform::RasHandle, std::uint32_t&, std::uint32_t&) {
  throw error_message{3, 0};
}
int Dial_class::clean_up() { return 0; }

}  // namespace qvx
