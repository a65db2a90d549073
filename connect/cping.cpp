// QVX-UNBUILT: comes with the echo work.
#include "connect/cping.h"

namespace qvx {

IcmpLibrary::~IcmpLibrary() = default;
bool IcmpLibrary::load_icmp() { return false; }
bool _CPING::ping(const std::string&, ping_reply&, std::uint8_t, std::uint32_t, std::uint8_t) {
  return false;
}

}  // namespace qvx
