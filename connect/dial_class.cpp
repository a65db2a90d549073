#include "connect/dial_class.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace qvx {

const char kBrandPrefix[] = "Quovix加速";

bool has_brand_prefix(const std::string& name) {
  return name.compare(0, std::strlen(kBrandPrefix), kBrandPrefix) == 0;
}

namespace {

constexpr std::uint32_t kEntryOptions = 0x390D0210;
constexpr std::uint32_t kEntryOptions2 = 111;
constexpr std::uint32_t kNetProtocolIp = 4;
// RasSetEntryProperties refuses an entry without a framing protocol; a VPN tunnel frames PPP.
constexpr std::uint32_t kFramingPpp = 1;  // RASFP_Ppp
constexpr std::uint32_t kDialAll = 1;
constexpr std::uint32_t kTypeVpn = 2;

// Fixed 100-byte members: at most 99 bytes of text and the terminator.
template <std::size_t N>
void copy_cut(char (&dest)[N], const std::string& src) {
  const std::size_t n = std::min(std::strlen(src.c_str()), N - 1);
  std::memcpy(dest, src.data(), n);
  dest[n] = '\0';
}

constexpr auto kTakeDownLimit = std::chrono::seconds(3);
constexpr auto kTakeDownPoll = std::chrono::milliseconds(50);

// RasHangUp (learn.microsoft.com): the connection's state machine goes on after the call
// returns, and until RasGetConnectStatus answers ERROR_INVALID_HANDLE for the handle the port
// may still be busy; dialling again or exiting before that can leave it inconsistent. Polled
// and bounded: a connection that does not go in time is left to RAS.
void wait_until_taken_down(platform::Ras& ras, platform::RasHandle handle) {
  const auto deadline = std::chrono::steady_clock::now() + kTakeDownLimit;
  std::uint32_t state = 0;
  while (ras.connect_status(handle, state) != platform::kRasInvalidHandle &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(kTakeDownPoll);
  }
}

}  // namespace

Dial_class::Dial_class(platform::Ras& ras) : ras_(ras) {}

void Dial_class::set_os_version(std::uint32_t version) {
  os_version_number = version;
}

int Dial_class::dial(const std::string& address, const std::string& user,
                     const std::string& password, const std::string& entry_name,
                     platform::RasHandle& out_handle, int vpn_strategy, int encryption_type) {
  clean_up();
  copy_cut(server_address, address);
  copy_cut(dial_user, user);
  copy_cut(dial_password, password);

  // The size query answers 603 together with the record size of this Windows.
  std::uint32_t size = 0;
  ras_.entry_size(size);
  platform::RasEntry entry;
  entry.options = kEntryOptions;
  entry.options2 = kEntryOptions2;
  entry.phone_number = server_address;
  entry.net_protocols = kNetProtocolIp;
  entry.framing_protocol = kFramingPpp;
  entry.device_type = "vpn";
  entry.device_name = "PPPoE";
  entry.dial_mode = kDialAll;
  entry.type = kTypeVpn;
  entry.encryption_type = static_cast<std::uint32_t>(encryption_type);
  entry.vpn_strategy = static_cast<std::uint32_t>(vpn_strategy);
  if (const std::uint32_t r = ras_.set_entry(entry_name, entry, size)) {
    throw error_message{1, static_cast<int>(r)};
  }

  hang_up_brand_connections();

  platform::RasHandle handle = 0;
  if (const std::uint32_t r = ras_.dial(entry_name, dial_user, dial_password, handle)) {
    // A failed dial may still have handed out a handle, and a half-made connection that is not
    // listed goes away only when that very handle is hung up (a second hang-up of one the
    // clean-up found is refused harmlessly).
    const auto release_handle = [this, handle] {
      if (handle != 0 && ras_.hang_up(handle) == 0) wait_until_taken_down(ras_, handle);
    };
    // Takes down the new entry and anything of ours still listed; its own failure wins.
    try {
      clean_up();
    } catch (const error_message&) {
      release_handle();
      throw;
    }
    release_handle();
    throw error_message{2, static_cast<int>(r)};
  }
  connection = handle;
  out_handle = handle;
  return 0;
}

int Dial_class::hang_up(platform::RasHandle& handle_ref) {
  if (handle_ref == 0) throw error_message{3, 0};
  if (const std::uint32_t r = ras_.hang_up(handle_ref)) {
    throw error_message{4, static_cast<int>(r)};
  }
  wait_until_taken_down(ras_, handle_ref);
  handle_ref = 0;
  connection = 0;
  delete_brand_entries(list_entries());
  return 0;
}

std::uint32_t Dial_class::connect_status(platform::RasHandle handle) {
  if (handle == 0) return platform::kRasDisconnected;
  std::uint32_t state = 0;
  if (ras_.connect_status(handle, state) != 0) {
    connection = 0;
    return platform::kRasDisconnected;
  }
  return state;
}

int Dial_class::statistics(platform::RasHandle handle, std::uint32_t& received,
                           std::uint32_t& sent) {
  if (handle == 0) throw error_message{3, 0};
  std::uint32_t in = 0, out = 0;
  if (const std::uint32_t r = ras_.statistics(handle, in, out)) {
    throw error_message{8, static_cast<int>(r)};
  }
  received = in;
  sent = out;
  return 0;
}

int Dial_class::clean_up() {
  hang_up_brand_connections();
  const std::vector<std::string> names = list_entries();
  if (connection != 0) hang_up(connection);
  // Entries the hang-up above already removed fail quietly here.
  delete_brand_entries(names);
  return 0;
}

void Dial_class::hang_up_brand_connections() {
  std::vector<platform::RasConnection> list;
  ras_.connections(list);  // only the records reported count, not the result
  for (const auto& c : list) {
    if (!has_brand_prefix(c.entry_name)) continue;
    const std::uint32_t r = ras_.hang_up(c.handle);
    if (c.handle == connection) connection = 0;
    if (r != 0) throw error_message{4, static_cast<int>(r)};
    wait_until_taken_down(ras_, c.handle);
    delete_entry(c.entry_name);
  }
}

std::vector<std::string> Dial_class::list_entries() {
  std::vector<std::string> names;
  if (const std::uint32_t r = ras_.entries(os_version_number < 600, names)) {
    throw error_message{9, static_cast<int>(r)};
  }
  return names;
}

void Dial_class::delete_brand_entries(const std::vector<std::string>& names) {
  for (const auto& name : names) {
    if (has_brand_prefix(name)) delete_entry(name);
  }
}

void Dial_class::delete_entry(const std::string& name) {
  // Only a refusal stops us; an entry that is already gone is what we wanted.
  if (ras_.delete_entry(name) == platform::kRasAccessDenied) {
    throw error_message{7, static_cast<int>(platform::kRasAccessDenied)};
  }
}

}  // namespace qvx
