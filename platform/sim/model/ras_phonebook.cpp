#include "platform/sim/model/ras_phonebook.h"

namespace qvx::model {

namespace {

// "RasSetEntryPropertiesA function (ras.h)", learn.microsoft.com: the caller must provide
// dwSize, szLocalPhoneNumber, szDeviceName, szDeviceType, dwFramingProtocol, dwfOptions and
// dwType, or the call fails with ERROR_INVALID_PARAMETER. Values as the RASENTRY structure
// page lists them; every dwfOptions value, 0 too, is one, so that member cannot be checked.
bool required_members_set(const platform::RasEntry& e) {
  constexpr std::uint32_t kFramingPpp = 1, kFramingSlip = 2, kFramingRas = 4;  // RASFP_*
  constexpr std::uint32_t kTypePhone = 1, kTypeBroadband = 5;  // RASET_Phone..Broadband
  const std::uint32_t framing = e.framing_protocol;
  return !e.phone_number.empty() && !e.device_name.empty() && !e.device_type.empty() &&
         (framing == kFramingPpp || framing == kFramingSlip || framing == kFramingRas) &&
         e.type >= kTypePhone && e.type <= kTypeBroadband;
}

// The record must be the version this Windows knows (ERROR_INVALID_SIZE) and lie whole in the
// buffer. The XP-like profile keeps the older model, which took an entry without those members.
template <typename Name>
std::uint32_t check(const Name& name, const platform::RasEntry& entry, std::uint32_t dw_size,
                    std::uint32_t buffer_size, std::uint32_t record_size,
                    sim::WindowsProfile profile) {
  if (dw_size != record_size || buffer_size < dw_size) return ras::kInvalidSize;
  if (!valid_entry_name(name)) return ras::kInvalidName;
  if (profile == sim::WindowsProfile::VistaAndLater && !required_members_set(entry)) {
    return ras::kInvalidParameter;
  }
  return 0;
}

}  // namespace

std::uint32_t entry_size_query(std::uint32_t record_size, std::uint32_t& size) {
  size = record_size;
  return ras::kBufferTooSmall;
}

std::uint32_t check_entry(const std::string& name, const platform::RasEntry& entry,
                          std::uint32_t dw_size, std::uint32_t buffer_size,
                          std::uint32_t record_size, sim::WindowsProfile profile) {
  return check(name, entry, dw_size, buffer_size, record_size, profile);
}

std::uint32_t check_entry(const std::u16string& name, const platform::RasEntry& entry,
                          std::uint32_t dw_size, std::uint32_t buffer_size,
                          std::uint32_t record_size, sim::WindowsProfile profile) {
  return check(name, entry, dw_size, buffer_size, record_size, profile);
}

}  // namespace qvx::model
