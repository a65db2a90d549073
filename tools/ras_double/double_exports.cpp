// rasapi32.dll for the Wine tests: the functions the client imports, strict about
// every record size and buffer it is handed, logging each call with its arguments.
#include <windows.h>

#include <atomic>
#include <cstring>
#include <string>

#include "double_state.h"
#include "platform/win32/ras_api.h"

using namespace qvx::win32;
using ras_double::Call;

namespace {

constexpr DWORD kAccessDenied = 5;
constexpr DWORD kInvalidHandle = 6;
constexpr DWORD kInvalidParameter = 87;
constexpr DWORD kInvalidName = 123;
constexpr DWORD kBufferTooSmall = 603;
constexpr DWORD kInvalidBuffer = 610;
constexpr DWORD kEntryNotFound = 623;
constexpr DWORD kInvalidSize = 632;
constexpr DWORD kPortNotAvailable = 633;
constexpr DWORD kConnected = 0x2000, kDisconnected = 0x2001;

template <std::size_t N>
std::string text_of(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

template <std::size_t N>
void put(char (&field)[N], const std::string& s) {
  const std::size_t n = s.size() < N ? s.size() : N - 1;
  std::memcpy(field, s.data(), n);
  field[n] = '\0';
}

// Bytes of the record that should be zero but are not: everything outside the members the
// client sets, and the tails of its text members after their terminator.
DWORD stray_bytes(const RasEntryHead* e, DWORD size) {
  struct Span {
    std::size_t at, len;
    bool text;
  };
  static const Span set[] = {
      {offsetof(RasEntryHead, dwSize), 4, false},
      {offsetof(RasEntryHead, dwfOptions), 4, false},
      {offsetof(RasEntryHead, szLocalPhoneNumber), 129, true},
      {offsetof(RasEntryHead, dwfNetProtocols), 4, false},
      {offsetof(RasEntryHead, dwFramingProtocol), 4, false},
      {offsetof(RasEntryHead, szDeviceType), 17, true},
      {offsetof(RasEntryHead, szDeviceName), 129, true},
      {offsetof(RasEntryHead, dwDialMode), 4, false},
      {offsetof(RasEntryHead, dwType), 4, false},
      {offsetof(RasEntryHead, dwEncryptionType), 4, false},
      {offsetof(RasEntryHead, dwVpnStrategy), 4, false},
      {offsetof(RasEntryHead, dwfOptions2), 4, false},
  };
  const auto* bytes = reinterpret_cast<const unsigned char*>(e);
  DWORD stray = 0;
  for (std::size_t i = 0; i < size; ++i) {
    bool allowed = false;
    for (const Span& s : set) {
      if (i < s.at || i >= s.at + s.len) continue;
      allowed = !s.text || std::memchr(bytes + s.at, 0, i - s.at) == nullptr;
    }
    if (!allowed && bytes[i] != 0) ++stray;
  }
  return stray;
}

// "RasSetEntryPropertiesA function (ras.h)", learn.microsoft.com: the caller must provide
// dwSize, szLocalPhoneNumber, szDeviceName, szDeviceType, dwFramingProtocol, dwfOptions and
// dwType, or the call fails with ERROR_INVALID_PARAMETER. Values as the RASENTRY structure
// page lists them; every dwfOptions value, 0 too, is one, so that member cannot be checked.
bool required_members_set(const RasEntryHead* e) {
  constexpr DWORD kFramingPpp = 1, kFramingSlip = 2, kFramingRas = 4;  // RASFP_*
  constexpr DWORD kTypePhone = 1, kTypeBroadband = 5;                  // RASET_Phone..Broadband
  const DWORD framing = e->dwFramingProtocol;
  return e->szLocalPhoneNumber[0] && e->szDeviceName[0] && e->szDeviceType[0] &&
         (framing == kFramingPpp || framing == kFramingSlip || framing == kFramingRas) &&
         e->dwType >= kTypePhone && e->dwType <= kTypeBroadband;
}

std::atomic<int> g_dialing{0};

struct Dialing {
  Dialing() : under_way(++g_dialing) {}
  ~Dialing() { --g_dialing; }
  Dialing(const Dialing&) = delete;
  Dialing& operator=(const Dialing&) = delete;
  const int under_way;
};

std::uint32_t handle_value(HANDLE h) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(h));
}

}  // namespace

extern "C" {

DWORD WINAPI QvxRasDouble() {
  return 0x51565852;
}  // marker: this DLL, not the system's

DWORD WINAPI RasGetEntryPropertiesA(LPCSTR phonebook, LPCSTR entry, RasEntryHead* rec,
                                    LPDWORD entry_size, LPBYTE device_info, LPDWORD device_size) {
  Call c("RasGetEntryPropertiesA");
  c.text("pbk", phonebook);
  c.text("entry", entry);
  c.pointer("buf", rec);
  c.pointer("devinfo", device_info);
  c.pointer("devsize", device_size);
  if (auto f = c.state.take_fault(c.function)) return c.finish(*f);
  if (!entry_size) return c.finish(kInvalidParameter);
  c.arg("cb", *entry_size);
  if (rec) return c.finish(kInvalidParameter);  // the client only ever asks for the size
  *entry_size = ras_double::entry_record_size();
  c.arg("out_size", *entry_size);
  return c.finish(kBufferTooSmall);
}

DWORD WINAPI RasSetEntryPropertiesA(LPCSTR phonebook, LPCSTR entry, RasEntryHead* rec,
                                    DWORD entry_size, LPBYTE device_info, DWORD device_size) {
  Call c("RasSetEntryPropertiesA");
  c.text("pbk", phonebook);
  c.text("entry", entry);
  c.arg("cb", entry_size);
  c.pointer("devinfo", device_info);
  c.arg("devsize", device_size);
  if (auto f = c.state.take_fault(c.function)) return c.finish(*f);
  if (!rec) return c.finish(kInvalidBuffer);
  c.arg("dwSize", rec->dwSize);
  if (rec->dwSize != ras_double::entry_record_size() || entry_size < rec->dwSize) {
    return c.finish(kInvalidSize);
  }
  if (device_info || device_size) return c.finish(kInvalidParameter);
  if (!entry || !*entry || std::strlen(entry) > 256) return c.finish(kInvalidName);
  // The XP-like profile keeps the older model, which took any entry.
  if (!c.state.xp_like && !required_members_set(rec)) return c.finish(kInvalidParameter);

  ras_double::Entry e{entry, {}};
  auto& f = e.fields;
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(rec->dwfOptions));
  f["options"] = hex;
  if (rec->dwSize >= sizeof(RasEntryHead)) f["options2"] = std::to_string(rec->dwfOptions2);
  f["phone"] = text_of(rec->szLocalPhoneNumber);
  f["protocols"] = std::to_string(rec->dwfNetProtocols);
  f["framing"] = std::to_string(rec->dwFramingProtocol);
  f["devtype"] = text_of(rec->szDeviceType);
  f["devname"] = text_of(rec->szDeviceName);
  f["dialmode"] = std::to_string(rec->dwDialMode);
  f["type"] = std::to_string(rec->dwType);
  f["encryption"] = std::to_string(rec->dwEncryptionType);
  f["strategy"] = std::to_string(rec->dwVpnStrategy);
  f["size"] = std::to_string(rec->dwSize);
  f["stray"] = std::to_string(stray_bytes(rec, rec->dwSize));
  for (const auto& [k, v] : f) c.text(k.c_str(), v.c_str());
  if (auto* old = c.state.find_entry(entry)) {
    *old = e;
  } else {
    c.state.entries.push_back(e);
  }
  return c.finish(0);
}

DWORD WINAPI RasDialA(LPVOID extensions, LPCSTR phonebook, RasDialParams* params,
                      DWORD notifier_type, LPVOID notifier, HANDLE* connection) {
  // A synchronous dial takes its time outside the lock, so dials that overlap show in the
  // count of those under way.
  const Dialing dialing;
  Sleep(ras_double::dial_time_ms());
  Call c("RasDialA");
  c.arg("dialing", dialing.under_way);
  c.pointer("ext", extensions);
  c.text("pbk", phonebook);
  c.arg("notifiertype", notifier_type);
  c.pointer("notifier", notifier);
  if (!params || !connection) return c.finish(kInvalidParameter);
  c.arg("dwSize", params->dwSize);
  if (params->dwSize != sizeof(RasDialParams)) return c.finish(kInvalidSize);
  const std::string name = text_of(params->szEntryName);
  c.text("entry", name.c_str());
  c.text("phone", text_of(params->szPhoneNumber).c_str());
  c.text("callback", text_of(params->szCallbackNumber).c_str());
  c.text("user", text_of(params->szUserName).c_str());
  c.text("password", text_of(params->szPassword).c_str());
  c.text("domain", text_of(params->szDomain).c_str());
  c.arg("subentry", params->dwSubEntry);
  c.arg("callbackid", params->dwCallbackId);

  ras_double::Connection conn;
  conn.name = name;
  auto fault = c.state.take_fault(c.function);
  if (const auto every = c.state.dial_faults.take(++c.state.dials); every && !fault) {
    fault = every;
    c.arg("injected", *every);
  }
  if (!fault) {
    const auto* e = c.state.find_entry(name);
    if (!e) return c.finish(kEntryNotFound);
    // The port of a connection still being taken down is not free yet (see RasHangUpA).
    if (c.state.taking_down(name)) return c.finish(kPortNotAvailable);
    const auto phone = e->fields.find("phone");
    if (phone != e->fields.end()) conn.phone = phone->second;
  }
  // A failed dial still leaves a half-made connection to hang up, as RAS does.
  conn.state = fault ? kDisconnected : kConnected;
  conn.handle = c.state.next_handle++;
  if (!fault) conn.made_at = GetTickCount64();
  c.state.connections.push_back(conn);
  *connection = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(conn.handle));
  c.arg("out_handle", conn.handle);
  return c.finish(fault ? *fault : 0);
}

// "RasHangUpA function (ras.h)", learn.microsoft.com: the call returns before the connection
// is fully closed; its state machine goes on, and until RasGetConnectStatus answers
// ERROR_INVALID_HANDLE for the handle the port is not free. Meanwhile the connection is still
// listed and reads as disconnected, and a dial on its entry fails with 633; after the linger
// the handle is invalid. A second hang-up of it succeeds and does not restart the clock.
DWORD WINAPI RasHangUpA(HANDLE connection) {
  Call c("RasHangUpA");
  c.arg("handle", handle_value(connection));
  if (auto f = c.state.take_fault(c.function)) return c.finish(*f);
  auto& list = c.state.connections;
  for (auto it = list.begin(); it != list.end(); ++it) {
    if (it->handle != handle_value(connection)) continue;
    if (c.state.linger_ms == 0) {
      list.erase(it);
    } else if (!it->gone_at) {
      it->state = kDisconnected;
      it->gone_at = GetTickCount64() + c.state.linger_ms;
    }
    return c.finish(0);
  }
  return c.finish(kInvalidHandle);
}

DWORD WINAPI RasEnumConnectionsA(RasConn* records, LPDWORD bytes, LPDWORD count) {
  Call c("RasEnumConnectionsA");
  c.pointer("buf", records);
  if (!bytes || !count) return c.finish(kInvalidParameter);
  c.arg("cb", *bytes);
  if (auto f = c.state.take_fault(c.function)) return c.finish(*f);
  if (!records && *bytes != 0) return c.finish(kInvalidBuffer);
  if (records) {
    c.arg("dwSize", records->dwSize);
    if (records->dwSize != sizeof(RasConn)) return c.finish(kInvalidSize);
  }
  const auto& list = c.state.connections;
  const DWORD needed = static_cast<DWORD>(list.size() * sizeof(RasConn));
  *count = static_cast<DWORD>(list.size());
  if (*bytes < needed) {
    *bytes = needed;
    c.arg("out_cb", *bytes);
    c.arg("out_count", *count);
    c.state.grow_connections();
    return c.finish(kBufferTooSmall);
  }
  for (std::size_t i = 0; i < list.size(); ++i) {
    RasConn& r = records[i];
    std::memset(&r, 0, sizeof r);
    r.dwSize = sizeof(RasConn);
    r.hrasconn = list[i].handle;
    put(r.szEntryName, list[i].name);
    put(r.szDeviceType, "vpn");
    put(r.szDeviceName, "WAN Miniport (PPTP)");
    r.dwSubEntry = 1;
  }
  *bytes = needed;
  *count += c.state.overcount;
  c.arg("out_cb", *bytes);
  c.arg("out_count", *count);
  return c.finish(0);
}

DWORD WINAPI RasEnumEntriesA(LPCSTR reserved, LPCSTR phonebook, RasEntryName* records,
                             LPDWORD bytes, LPDWORD count) {
  Call c("RasEnumEntriesA");
  c.pointer("reserved", reserved);
  c.text("pbk", phonebook);
  c.pointer("buf", records);
  if (!bytes || !count || reserved) return c.finish(kInvalidParameter);
  c.arg("cb", *bytes);
  if (auto f = c.state.take_fault(c.function)) return c.finish(*f);
  if (!records && *bytes != 0) return c.finish(kInvalidBuffer);
  if (records) {
    c.arg("dwSize", records->dwSize);
    if (records->dwSize != sizeof(RasEntryName)) return c.finish(kInvalidSize);
  }
  const auto& list = c.state.entries;
  const DWORD needed = static_cast<DWORD>(list.size() * sizeof(RasEntryName));
  *count = static_cast<DWORD>(list.size());
  if (*bytes < needed) {
    *bytes = needed;
    c.arg("out_cb", *bytes);
    c.arg("out_count", *count);
    c.state.grow_entries();
    return c.finish(kBufferTooSmall);
  }
  for (std::size_t i = 0; i < list.size(); ++i) {
    RasEntryName& r = records[i];
    std::memset(&r, 0, sizeof r);
    r.dwSize = sizeof(RasEntryName);
    put(r.szEntryName, list[i].name);
  }
  *bytes = needed;
  *count += c.state.overcount;
  c.arg("out_cb", *bytes);
  c.arg("out_count", *count);
  return c.finish(0);
}

DWORD WINAPI RasDeleteEntryA(LPCSTR phonebook, LPCSTR entry) {
  Call c("RasDeleteEntryA");
  c.text("pbk", phonebook);
  c.text("entry", entry);
  if (auto f = c.state.take_fault(c.function)) return c.finish(*f);
  if (!entry) return c.finish(kInvalidName);
  auto& list = c.state.entries;
  for (auto it = list.begin(); it != list.end(); ++it) {
    if (it->name == entry) {
      list.erase(it);
      return c.finish(0);
    }
  }
  return c.finish(kEntryNotFound);
}

DWORD WINAPI RasGetConnectStatusA(HANDLE connection, RasConnStatus* status) {
  Call c("RasGetConnectStatusA");
  c.arg("handle", handle_value(connection));
  if (!status) return c.finish(kInvalidParameter);
  c.arg("dwSize", status->dwSize);
  if (auto f = c.state.take_fault(c.function)) return c.finish(*f);
  const auto* conn = c.state.find_connection(handle_value(connection));
  if (!conn) return c.finish(kInvalidHandle);
  if (status->dwSize != sizeof(RasConnStatus)) return c.finish(kInvalidSize);
  status->rasconnstate = conn->state;
  status->dwError = 0;
  put(status->szDeviceType, "vpn");
  put(status->szDeviceName, "WAN Miniport (PPTP)");
  put(status->szPhoneNumber, conn->phone);
  c.arg("out_state", conn->state);
  return c.finish(0);
}

DWORD WINAPI RasGetConnectionStatistics(HANDLE connection, RasStats* stats) {
  Call c("RasGetConnectionStatistics");
  c.arg("handle", handle_value(connection));
  if (!stats) return c.finish(kInvalidParameter);
  c.arg("dwSize", stats->dwSize);
  if (auto f = c.state.take_fault(c.function)) return c.finish(*f);
  auto* conn = c.state.find_connection(handle_value(connection));
  if (!conn) return c.finish(kInvalidHandle);
  if (stats->dwSize != sizeof(RasStats)) return c.finish(kInvalidSize);
  // Traffic flows between the queries.
  conn->rx += 2048;
  conn->tx += 512;
  std::memset(reinterpret_cast<char*>(stats) + 4, 0, sizeof(RasStats) - 4);
  stats->dwBytesRcved = conn->rx;
  stats->dwBytesXmited = conn->tx;
  c.arg("out_rx", conn->rx);
  c.arg("out_tx", conn->tx);
  return c.finish(0);
}

// RasGetProjectionInfoA (learn.microsoft.com, ras.h) with RASP_PppIp fills a RASPPPIPA whose
// dwSize the caller sets; a buffer smaller than the record is ERROR_BUFFER_TOO_SMALL with the
// size needed; a projection that was not negotiated is ERROR_PROTOCOL_NOT_CONFIGURED, and a
// connection not (yet) up ERROR_PROJECTION_NOT_COMPLETE.
DWORD WINAPI RasGetProjectionInfoA(HANDLE connection, DWORD projection, LPVOID info, LPDWORD size) {
  constexpr DWORD kProjectionNotComplete = 730, kProtocolNotConfigured = 731;
  Call c("RasGetProjectionInfoA");
  c.arg("handle", handle_value(connection));
  c.hex("projection", projection);
  c.pointer("buf", info);
  if (!size) return c.finish(kInvalidParameter);
  c.arg("cb", *size);
  if (auto f = c.state.take_fault(c.function)) return c.finish(*f);
  const auto* conn = c.state.find_connection(handle_value(connection));
  if (!conn) return c.finish(kInvalidHandle);
  if (conn->state != kConnected) return c.finish(kProjectionNotComplete);
  if (projection != kRaspPppIp) return c.finish(kProtocolNotConfigured);
  if (!info || *size < sizeof(RasPppIp)) {
    *size = sizeof(RasPppIp);
    return c.finish(kBufferTooSmall);
  }
  auto* ip = static_cast<RasPppIp*>(info);
  c.arg("dwSize", ip->dwSize);
  if (ip->dwSize != sizeof(RasPppIp)) return c.finish(kInvalidSize);
  std::memset(reinterpret_cast<char*>(ip) + 4, 0, sizeof(RasPppIp) - 4);
  put(ip->szIpAddress, c.state.projection_ip);
  put(ip->szServerIpAddress, c.state.projection_server);
  c.text("out_ip", c.state.projection_ip.c_str());
  return c.finish(0);
}

}  // extern "C"
