// Remote Access: the nine phone-book and connection operations the dialer needs.
// Each call returns 0 or the RAS / system error number. The implementation owns the
// record layouts, their sizes and the "buffer too small" (603) retry of the listings. Text is
// GBK here; the implementation calls the W functions, so names do not depend on the system's
// ANSI code page.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qvx::platform {

using RasHandle = std::uintptr_t;  // 0 is "no connection"

// The fields of a RASENTRYW the client sets; every other member is zero.
struct RasEntry {
  std::uint32_t options = 0;   // dwfOptions
  std::uint32_t options2 = 0;  // dwfOptions2
  std::string phone_number;    // szLocalPhoneNumber
  std::uint32_t net_protocols = 0;
  std::uint32_t framing_protocol = 0;  // dwFramingProtocol
  std::string device_type;
  std::string device_name;
  std::uint32_t dial_mode = 0;
  std::uint32_t type = 0;
  std::uint32_t encryption_type = 0;
  std::uint32_t vpn_strategy = 0;
};

struct RasConnection {
  RasHandle handle = 0;
  std::string entry_name;
};

constexpr std::uint32_t kRasAccessDenied = 5;
constexpr std::uint32_t kRasInvalidHandle = 6;
constexpr std::uint32_t kRasBufferTooSmall = 603;
constexpr std::uint32_t kRasInvalidBuffer = 610;
constexpr std::uint32_t kRasEntryNotFound = 623;
constexpr std::uint32_t kRasInvalidSize = 632;
constexpr std::uint32_t kRasConnected = 0x2000;
constexpr std::uint32_t kRasDisconnected = 0x2001;

class Ras {
 public:
  virtual ~Ras() = default;
  // RasGetEntryPropertiesW asked for the entry size only (no phone book, no name, no buffer).
  // Windows answers 603 with the size filled in.
  virtual std::uint32_t entry_size(std::uint32_t& size) = 0;
  // RasSetEntryPropertiesW on the default phone book: a zero-filled record of entry_size
  // bytes with dwSize = entry_size and the given fields, no device information.
  virtual std::uint32_t set_entry(const std::string& name, const RasEntry& entry,
                                  std::uint32_t entry_size) = 0;
  // Synchronous RasDialW of an entry of the default phone book with empty phone, callback
  // and domain. handle is set whenever RAS gave one, also on failure (a half-made connection).
  virtual std::uint32_t dial(const std::string& entry_name, const std::string& user,
                             const std::string& password, RasHandle& handle) = 0;
  virtual std::uint32_t hang_up(RasHandle handle) = 0;
  // RasEnumConnectionsW with one record, retried with a block of the reported size while it
  // answers 603 (a few times at most); out holds the records reported (never more than the
  // buffer held).
  virtual std::uint32_t connections(std::vector<RasConnection>& out) = 0;
  // RasEnumEntriesW on the default phone book with a buffer size of 0, retried on 603 like
  // connections(). first_call_with_buffer: hand a one-record buffer to the first call
  // (Windows before Vista) instead of none. Returns the result of the last call.
  virtual std::uint32_t entries(bool first_call_with_buffer, std::vector<std::string>& out) = 0;
  virtual std::uint32_t delete_entry(const std::string& name) = 0;
  virtual std::uint32_t connect_status(RasHandle handle, std::uint32_t& state) = 0;
  virtual std::uint32_t statistics(RasHandle handle, std::uint32_t& received,
                                   std::uint32_t& sent) = 0;
  // RasGetProjectionInfoW, RASP_PppIp: the address this machine was given on the connection
  // and the server's (empty when the server named none). A failed IPCP negotiation is
  // returned as its error.
  virtual std::uint32_t ip_projection(RasHandle handle, std::string& address,
                                      std::string& server) = 0;
};

}  // namespace qvx::platform
