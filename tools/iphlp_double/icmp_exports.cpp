// The echo functions: Wine's ICMP.DLL forwards them to iphlpapi, so with this DLL in its place
// every echo the program sends ends here. Answers come from the state's echo table: loopback
// answers at once, any other address times out, unless the table says otherwise.
// winsock2.h must come before windows.h.
#include <winsock2.h>

#include <windows.h>

#include <ipexport.h>
// After ipexport.h, whose types it uses.
#include <icmpapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "iphlp_state.h"

using iphlp_double::Call;

namespace {

constexpr bool kWin64 = sizeof(void*) == 8;
static_assert(sizeof(ICMP_ECHO_REPLY) == (kWin64 ? 40 : 28));
constexpr UCHAR kReplyTtl = 64;

std::uint32_t handle_value(HANDLE h) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(h));
}

bool is_open(const iphlp_double::State& s, HANDLE h) {
  return std::find(s.icmp_handles.begin(), s.icmp_handles.end(), handle_value(h)) !=
         s.icmp_handles.end();
}

// "45*32" for a uniform payload, its bytes in hex otherwise.
std::string payload_text(const unsigned char* data, WORD size) {
  if (size == 0) return "none";
  char buf[8];
  std::string out;
  if (std::all_of(data, data + size, [&](unsigned char b) { return b == data[0]; })) {
    std::snprintf(buf, sizeof buf, "%02X*", data[0]);
    return buf + std::to_string(size);
  }
  for (WORD i = 0; i < size; ++i) {
    std::snprintf(buf, sizeof buf, "%02X", data[i]);
    out += buf;
  }
  return out;
}

iphlp_double::Echo answer_for(const iphlp_double::State& s, IPAddr dest) {
  const std::string address = iphlp_double::dotted(dest);
  if (const auto* e = s.echo_for(address)) return *e;
  const bool loopback = (reinterpret_cast<const unsigned char*>(&dest)[0]) == 127;
  return {address, loopback ? 0u : static_cast<std::uint32_t>(IP_REQ_TIMED_OUT), 0, false};
}

// "IcmpSendEcho function (icmpapi.h)", learn.microsoft.com: the reply buffer holds at least one
// ICMP_ECHO_REPLY plus RequestSize bytes of data, and 8 bytes more for an ICMP error message;
// a smaller one fails with ERROR_INSUFFICIENT_BUFFER. The XP-era page of the function asks for
// the record and the 8 bytes only; ICMP_ECHO_REPLY (ipexport.h) names IP_BUF_TOO_SMALL.
DWORD minimum_reply_size(const iphlp_double::State& s, WORD request_size) {
  constexpr DWORD kIcmpErrorBytes = 8;
  const DWORD data = s.xp ? 0 : request_size;
  return sizeof(ICMP_ECHO_REPLY) + data + kIcmpErrorBytes;
}

// IcmpSendEcho under the double's lock; wait_ms is how long the answer takes.
DWORD send_echo(HANDLE handle, IPAddr dest, LPVOID request, WORD request_size,
                PIP_OPTION_INFORMATION options, LPVOID reply_buffer, DWORD reply_size,
                DWORD timeout, DWORD& wait_ms) {
  Call c("IcmpSendEcho");
  c.arg("handle", handle_value(handle));
  c.text("dest", iphlp_double::dotted(dest));
  const auto* data = static_cast<const unsigned char*>(request);
  c.text("payload", data ? payload_text(data, request_size) : "null");
  // The TTL leads both the native and the 32-bit form of the options.
  c.text("ttl", options ? std::to_string(options->Ttl) : "none");
  c.arg("replysize", reply_size);
  c.arg("timeout", timeout);
  auto fail = [&c](DWORD code) {
    c.finish(code);
    SetLastError(code);
    return DWORD{0};
  };
  if (!is_open(c.state, handle)) return fail(ERROR_INVALID_HANDLE);
  if (!reply_buffer || (request_size && !data)) return fail(ERROR_INVALID_PARAMETER);
  if (reply_size < minimum_reply_size(c.state, request_size)) {
    return fail(c.state.xp ? IP_BUF_TOO_SMALL : ERROR_INSUFFICIENT_BUFFER);
  }
  if (auto f = c.state.take_fault(c.function)) return fail(*f);
  const auto echo = answer_for(c.state, dest);
  const bool timed_out =
      echo.status == IP_REQ_TIMED_OUT || (echo.status == 0 && echo.rtt > timeout);
  wait_ms = timed_out ? timeout : echo.rtt;
  if (timed_out) return fail(IP_REQ_TIMED_OUT);
  if (echo.status != 0 && !echo.reply) return fail(echo.status);

  auto* reply = static_cast<ICMP_ECHO_REPLY*>(reply_buffer);
  std::memset(reply, 0, sizeof *reply);
  reply->Address = dest;
  reply->Status = echo.status;
  reply->RoundTripTime = echo.rtt;
  reply->Options.Ttl = kReplyTtl;
  if (echo.status == 0) {
    auto* echoed = reinterpret_cast<unsigned char*>(reply + 1);
    // Never past the caller's buffer, which the XP-like rule lets be shorter than the data.
    const DWORD fits = std::min<DWORD>(request_size, reply_size - sizeof *reply);
    if (fits) std::memcpy(echoed, data, fits);
    reply->DataSize = request_size;
    reply->Data = echoed;
  }
  c.arg("out_status", echo.status);
  c.arg("out_rtt", echo.rtt);
  c.arg("out_datasize", reply->DataSize);
  c.arg("out_replies", 1);
  c.finish(0);
  return 1;
}

}  // namespace

extern "C" {

DWORD WINAPI QvxIphlpDouble() {
  return 0x51564950;
}  // marker: this DLL, not the system's

HANDLE WINAPI IcmpCreateFile() {
  Call c("IcmpCreateFile");
  if (auto f = c.state.take_fault(c.function)) {
    c.finish(*f);
    SetLastError(*f);
    return INVALID_HANDLE_VALUE;
  }
  const std::uint32_t h = c.state.next_icmp++;
  c.state.icmp_handles.push_back(h);
  c.arg("out_handle", h);
  c.finish(0);
  return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(h));
}

BOOL WINAPI IcmpCloseHandle(HANDLE handle) {
  Call c("IcmpCloseHandle");
  c.arg("handle", handle_value(handle));
  auto& open = c.state.icmp_handles;
  const auto it = std::find(open.begin(), open.end(), handle_value(handle));
  if (it == open.end()) {
    c.finish(ERROR_INVALID_HANDLE);
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  open.erase(it);
  c.finish(0);
  return TRUE;
}

// Returns the number of replies; 0 with the cause in the last error. Its log line ends in the
// last error, 0 when a reply came. The answer's time passes outside the double's lock, so the
// echoes of several threads overlap as they do on a network.
DWORD WINAPI IcmpSendEcho(HANDLE handle, IPAddr dest, LPVOID request, WORD request_size,
                          PIP_OPTION_INFORMATION options, LPVOID reply_buffer, DWORD reply_size,
                          DWORD timeout) {
  DWORD wait_ms = 0;
  const DWORD replies = send_echo(handle, dest, request, request_size, options, reply_buffer,
                                  reply_size, timeout, wait_ms);
  Sleep(wait_ms);
  return replies;
}

}  // extern "C"
