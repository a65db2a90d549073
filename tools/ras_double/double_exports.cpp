// rasapi32.dll for the Wine tests: the functions the client imports (the W forms), strict about
// every record size and buffer it is handed, logging each call with its arguments. The rules
// of the calls are the model's (platform/sim/model/ras_*.h); this layer converts the records,
// and their UTF-16 text to the GBK the state file and the log are written in.
#include <windows.h>

#include <atomic>
#include <cstring>
#include <cwchar>
#include <string>

#include "double_state.h"
#include "platform/sim/model/ras_buffers.h"
#include "platform/sim/model/ras_codes.h"
#include "platform/sim/model/ras_phonebook.h"
#include "platform/win32/ras_api.h"
#include "platform/win32/win32_text.h"

using namespace qvx::win32;
using ras_double::Call;

namespace {

namespace ras = qvx::model::ras;

// This double's traffic between two statistics queries.
constexpr std::uint32_t kReceivedPerQuery = 2048, kSentPerQuery = 512;

using qvx::win32::gbk_from_wide;
using qvx::win32::wide_from_gbk;

template <std::size_t N>
std::string text_of(const wchar_t (&field)[N]) {
  return gbk_from_wide(std::wstring(field, wcsnlen(field, N)));
}

template <std::size_t N>
void put(wchar_t (&field)[N], const std::string& gbk) {
  const std::wstring s = wide_from_gbk(gbk);
  const std::size_t n = s.size() < N ? s.size() : N - 1;
  std::wmemcpy(field, s.data(), n);
  field[n] = L'\0';
}

// A string argument as the log shows it: GBK, or null.
const char* logged(const std::string& gbk, LPCWSTR text) {
  return text ? gbk.c_str() : nullptr;
}
std::string gbk_of(LPCWSTR text) {
  return text ? gbk_from_wide(text) : std::string();
}

// Bytes of the record that should be zero but are not: everything outside the members the
// client sets, and the tails of its text members after their terminator.
DWORD stray_bytes(const RasEntryHeadW* e, DWORD size) {
  struct Span {
    std::size_t at, len;
    bool text;
  };
  static const Span set[] = {
      {offsetof(RasEntryHeadW, dwSize), 4, false},
      {offsetof(RasEntryHeadW, dwfOptions), 4, false},
      {offsetof(RasEntryHeadW, szLocalPhoneNumber), 129 * 2, true},
      {offsetof(RasEntryHeadW, dwfNetProtocols), 4, false},
      {offsetof(RasEntryHeadW, dwFramingProtocol), 4, false},
      {offsetof(RasEntryHeadW, szDeviceType), 17 * 2, true},
      {offsetof(RasEntryHeadW, szDeviceName), 129 * 2, true},
      {offsetof(RasEntryHeadW, dwDialMode), 4, false},
      {offsetof(RasEntryHeadW, dwType), 4, false},
      {offsetof(RasEntryHeadW, dwEncryptionType), 4, false},
      {offsetof(RasEntryHeadW, dwVpnStrategy), 4, false},
      {offsetof(RasEntryHeadW, dwfOptions2), 4, false},
  };
  const auto* bytes = reinterpret_cast<const unsigned char*>(e);
  // A text member's bytes up to its terminator (a zero UTF-16 unit) may be set.
  const auto before_terminator = [bytes](std::size_t at, std::size_t i) {
    for (std::size_t k = at; k < i - (i - at) % 2; k += 2) {
      if (bytes[k] == 0 && bytes[k + 1] == 0) return false;
    }
    return true;
  };
  DWORD stray = 0;
  for (std::size_t i = 0; i < size; ++i) {
    bool allowed = false;
    for (const Span& s : set) {
      if (i < s.at || i >= s.at + s.len) continue;
      allowed = !s.text || before_terminator(s.at, i);
    }
    if (!allowed && bytes[i] != 0) ++stray;
  }
  return stray;
}

// The members of the record the rules read.
qvx::platform::RasEntry fields_of(const RasEntryHeadW* rec) {
  qvx::platform::RasEntry e;
  e.options = rec->dwfOptions;
  e.phone_number = text_of(rec->szLocalPhoneNumber);
  e.net_protocols = rec->dwfNetProtocols;
  e.framing_protocol = rec->dwFramingProtocol;
  e.device_type = text_of(rec->szDeviceType);
  e.device_name = text_of(rec->szDeviceName);
  e.dial_mode = rec->dwDialMode;
  e.type = rec->dwType;
  e.encryption_type = rec->dwEncryptionType;
  e.vpn_strategy = rec->dwVpnStrategy;
  return e;
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

DWORD WINAPI RasGetEntryPropertiesW(LPCWSTR phonebook, LPCWSTR entry, RasEntryHeadW* rec,
                                    LPDWORD entry_size, LPBYTE device_info, LPDWORD device_size) {
  Call c("RasGetEntryPropertiesW");
  c.text("pbk", logged(gbk_of(phonebook), phonebook));
  c.text("entry", logged(gbk_of(entry), entry));
  c.pointer("buf", rec);
  c.pointer("devinfo", device_info);
  c.pointer("devsize", device_size);
  if (auto f = c.state.take_fault(c.function)) return c.finish(*f);
  if (!entry_size) return c.finish(ras::kInvalidParameter);
  c.arg("cb", *entry_size);
  if (rec) return c.finish(ras::kInvalidParameter);  // the client only ever asks for the size
  std::uint32_t size = 0;
  const std::uint32_t result = qvx::model::entry_size_query(ras_double::entry_record_size(), size);
  *entry_size = size;
  c.arg("out_size", size);
  return c.finish(result);
}

DWORD WINAPI RasSetEntryPropertiesW(LPCWSTR phonebook, LPCWSTR entry, RasEntryHeadW* rec,
                                    DWORD entry_size, LPBYTE device_info, DWORD device_size) {
  Call c("RasSetEntryPropertiesW");
  const std::string name = gbk_of(entry);
  c.text("pbk", logged(gbk_of(phonebook), phonebook));
  c.text("entry", logged(name, entry));
  c.arg("cb", entry_size);
  c.pointer("devinfo", device_info);
  c.arg("devsize", device_size);
  if (auto f = c.state.take_fault(c.function)) return c.finish(*f);
  if (!rec) return c.finish(ras::kInvalidBuffer);
  c.arg("dwSize", rec->dwSize);
  // From XP on the device information is unused and must be NULL and 0.
  if (device_info || device_size) return c.finish(ras::kInvalidParameter);
  // The name's length is counted in UTF-16 units, as the W function gets it.
  const std::u16string wide_name = entry ? std::u16string(entry, entry + wcslen(entry)) : u"";
  if (const std::uint32_t refused =
          qvx::model::check_entry(wide_name, fields_of(rec), rec->dwSize, entry_size,
                                  ras_double::entry_record_size(), c.state.profile())) {
    return c.finish(refused);
  }

  ras_double::Entry e{name, {}};
  auto& f = e.fields;
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(rec->dwfOptions));
  f["options"] = hex;
  if (rec->dwSize >= sizeof(RasEntryHeadW)) f["options2"] = std::to_string(rec->dwfOptions2);
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
  c.state.entries.put(e);
  return c.finish(0);
}

DWORD WINAPI RasDialW(LPVOID extensions, LPCWSTR phonebook, RasDialParamsW* params,
                      DWORD notifier_type, LPVOID notifier, HANDLE* connection) {
  // A synchronous dial takes its time outside the lock, so dials that overlap show in the
  // count of those under way.
  const Dialing dialing;
  Sleep(ras_double::dial_time_ms());
  Call c("RasDialW");
  c.arg("dialing", dialing.under_way);
  c.pointer("ext", extensions);
  c.text("pbk", logged(gbk_of(phonebook), phonebook));
  c.arg("notifiertype", notifier_type);
  c.pointer("notifier", notifier);
  if (!params || !connection) return c.finish(ras::kInvalidParameter);
  c.arg("dwSize", params->dwSize);
  if (params->dwSize != sizeof(RasDialParamsW)) return c.finish(ras::kInvalidSize);
  const std::string name = text_of(params->szEntryName);
  c.text("entry", name.c_str());
  c.text("phone", text_of(params->szPhoneNumber).c_str());
  c.text("callback", text_of(params->szCallbackNumber).c_str());
  c.text("user", text_of(params->szUserName).c_str());
  c.text("password", text_of(params->szPassword).c_str());
  c.text("domain", text_of(params->szDomain).c_str());
  c.arg("subentry", params->dwSubEntry);
  c.arg("callbackid", params->dwCallbackId);

  auto& conns = c.state.connections;
  auto fault = c.state.take_fault(c.function);
  if (const auto every = c.state.dial_faults.take(++c.state.dials); every && !fault) {
    fault = every;
    c.arg("injected", *every);
  }
  std::uintptr_t handle = 0;
  if (fault) {
    handle = conns.dial_failed(name, true);
  } else {
    const ras_double::Entry* e = c.state.entries.find(name);
    if (const std::uint32_t refused = conns.may_dial(name, e != nullptr, c.now)) {
      return c.finish(refused);
    }
    const auto phone = e->fields.find("phone");
    handle = conns.connect(name, phone == e->fields.end() ? "" : phone->second, c.now);
  }
  *connection = reinterpret_cast<HANDLE>(handle);
  c.arg("out_handle", static_cast<std::uint32_t>(handle));
  return c.finish(fault ? *fault : 0);
}

DWORD WINAPI RasHangUpW(HANDLE connection) {
  Call c("RasHangUpW");
  c.arg("handle", handle_value(connection));
  if (auto f = c.state.take_fault(c.function)) return c.finish(*f);
  return c.finish(c.state.connections.hang_up(handle_value(connection), c.now));
}

DWORD WINAPI RasEnumConnectionsW(RasConnW* records, LPDWORD bytes, LPDWORD count) {
  Call c("RasEnumConnectionsW");
  c.pointer("buf", records);
  if (!bytes || !count) return c.finish(ras::kInvalidParameter);
  c.arg("cb", *bytes);
  if (auto f = c.state.take_fault(c.function)) return c.finish(*f);
  if (records) {
    c.arg("dwSize", records->dwSize);
    if (records->dwSize != sizeof(RasConnW)) return c.finish(ras::kInvalidSize);
  }
  const auto list = c.state.connections.listing(c.now);
  std::uint32_t cb = *bytes, n = 0;
  const std::uint32_t result =
      qvx::model::fit_listing(records, cb, sizeof(RasConnW), list.size(), n);
  if (result == ras::kInvalidBuffer) return c.finish(result);
  *bytes = cb;
  *count = n;
  if (result == ras::kBufferTooSmall) {
    c.arg("out_cb", cb);
    c.arg("out_count", n);
    c.state.grow_connections();
    return c.finish(result);
  }
  for (std::size_t i = 0; i < list.size(); ++i) {
    RasConnW& r = records[i];
    std::memset(&r, 0, sizeof r);
    r.dwSize = sizeof(RasConnW);
    r.hrasconn = list[i].handle;
    put(r.szEntryName, list[i].entry_name);
    put(r.szDeviceType, "vpn");
    put(r.szDeviceName, "WAN Miniport (PPTP)");
    r.dwSubEntry = 1;
  }
  *count += c.state.overcount;
  c.arg("out_cb", *bytes);
  c.arg("out_count", *count);
  return c.finish(0);
}

DWORD WINAPI RasEnumEntriesW(LPCWSTR reserved, LPCWSTR phonebook, RasEntryNameW* records,
                             LPDWORD bytes, LPDWORD count) {
  Call c("RasEnumEntriesW");
  c.pointer("reserved", reserved);
  c.text("pbk", logged(gbk_of(phonebook), phonebook));
  c.pointer("buf", records);
  if (!bytes || !count || reserved) return c.finish(ras::kInvalidParameter);
  c.arg("cb", *bytes);
  if (auto f = c.state.take_fault(c.function)) return c.finish(*f);
  if (records) {
    c.arg("dwSize", records->dwSize);
    if (records->dwSize != sizeof(RasEntryNameW)) return c.finish(ras::kInvalidSize);
  }
  const auto names = c.state.entries.names();
  std::uint32_t cb = *bytes, n = 0;
  const std::uint32_t result =
      qvx::model::fit_listing(records, cb, sizeof(RasEntryNameW), names.size(), n);
  if (result == ras::kInvalidBuffer) return c.finish(result);
  *bytes = cb;
  *count = n;
  if (result == ras::kBufferTooSmall) {
    c.arg("out_cb", cb);
    c.arg("out_count", n);
    c.state.grow_entries();
    return c.finish(result);
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    RasEntryNameW& r = records[i];
    std::memset(&r, 0, sizeof r);
    r.dwSize = sizeof(RasEntryNameW);
    put(r.szEntryName, names[i]);
  }
  *count += c.state.overcount;
  c.arg("out_cb", *bytes);
  c.arg("out_count", *count);
  return c.finish(0);
}

DWORD WINAPI RasDeleteEntryW(LPCWSTR phonebook, LPCWSTR entry) {
  Call c("RasDeleteEntryW");
  const std::string name = gbk_of(entry);
  c.text("pbk", logged(gbk_of(phonebook), phonebook));
  c.text("entry", logged(name, entry));
  if (auto f = c.state.take_fault(c.function)) return c.finish(*f);
  return c.finish(c.state.entries.remove(name));
}

DWORD WINAPI RasGetConnectStatusW(HANDLE connection, RasConnStatusW* status) {
  Call c("RasGetConnectStatusW");
  const std::uint32_t handle = handle_value(connection);
  c.arg("handle", handle);
  if (!status) return c.finish(ras::kInvalidParameter);
  c.arg("dwSize", status->dwSize);
  if (auto f = c.state.take_fault(c.function)) return c.finish(*f);
  if (status->dwSize != sizeof(RasConnStatusW)) return c.finish(ras::kInvalidSize);
  std::uint32_t state = 0;
  if (const auto refused = c.state.connections.connect_status(handle, c.now, state)) {
    return c.finish(refused);
  }
  status->rasconnstate = state;
  status->dwError = 0;
  put(status->szDeviceType, "vpn");
  put(status->szDeviceName, "WAN Miniport (PPTP)");
  put(status->szPhoneNumber, c.state.connections.find(handle, c.now)->phone_number);
  c.arg("out_state", state);
  return c.finish(0);
}

DWORD WINAPI RasGetConnectionStatistics(HANDLE connection, RasStats* stats) {
  Call c("RasGetConnectionStatistics");
  c.arg("handle", handle_value(connection));
  if (!stats) return c.finish(ras::kInvalidParameter);
  c.arg("dwSize", stats->dwSize);
  if (auto f = c.state.take_fault(c.function)) return c.finish(*f);
  if (stats->dwSize != sizeof(RasStats)) return c.finish(ras::kInvalidSize);
  std::uint32_t rx = 0, tx = 0;
  if (const auto refused = c.state.connections.statistics(
          handle_value(connection), c.now, kReceivedPerQuery, kSentPerQuery, rx, tx)) {
    return c.finish(refused);
  }
  std::memset(reinterpret_cast<char*>(stats) + 4, 0, sizeof(RasStats) - 4);
  stats->dwBytesRcved = rx;
  stats->dwBytesXmited = tx;
  c.arg("out_rx", rx);
  c.arg("out_tx", tx);
  return c.finish(0);
}

// RASP_PppIp fills a RASPPPIPW whose dwSize the caller sets.
DWORD WINAPI RasGetProjectionInfoW(HANDLE connection, DWORD projection, LPVOID info, LPDWORD size) {
  Call c("RasGetProjectionInfoW");
  c.arg("handle", handle_value(connection));
  c.hex("projection", projection);
  c.pointer("buf", info);
  if (!size) return c.finish(ras::kInvalidParameter);
  c.arg("cb", *size);
  if (auto f = c.state.take_fault(c.function)) return c.finish(*f);
  if (const auto refused =
          c.state.connections.projection(handle_value(connection), projection, c.now)) {
    return c.finish(refused);
  }
  std::uint32_t cb = *size;
  const std::uint32_t fits = qvx::model::fit_record(info, cb, sizeof(RasPppIpW));
  *size = cb;
  if (fits != 0) return c.finish(fits);
  auto* ip = static_cast<RasPppIpW*>(info);
  c.arg("dwSize", ip->dwSize);
  if (ip->dwSize != sizeof(RasPppIpW)) return c.finish(ras::kInvalidSize);
  std::memset(reinterpret_cast<char*>(ip) + 4, 0, sizeof(RasPppIpW) - 4);
  put(ip->szIpAddress, c.state.projection_ip);
  put(ip->szServerIpAddress, c.state.projection_server);
  c.text("out_ip", c.state.projection_ip.c_str());
  return c.finish(0);
}

}  // extern "C"
