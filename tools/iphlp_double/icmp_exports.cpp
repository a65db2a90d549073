// The echo functions: Wine's ICMP.DLL forwards them to iphlpapi, so with this DLL in its place
// every echo the program sends ends here. The rules are the model's
// (platform/sim/model/icmp_echo.h); answers come from the state's echo table: loopback answers
// at once, any other address times out, unless the table says otherwise.
// winsock2.h must come before windows.h.
#include <winsock2.h>

#include <windows.h>

#include <ipexport.h>
// After ipexport.h, whose types it uses.
#include <icmpapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "iphlp_state.h"

using iphlp_double::Call;

namespace {

constexpr bool kWin64 = sizeof(void*) == 8;
static_assert(sizeof(ICMP_ECHO_REPLY) == (kWin64 ? 40 : 28));
constexpr UCHAR kReplyTtl = 64;
static_assert(qvx::model::kIpReqTimedOut == IP_REQ_TIMED_OUT &&
              qvx::model::kIpBufTooSmall == IP_BUF_TOO_SMALL &&
              qvx::model::kErrorInvalidHandle == ERROR_INVALID_HANDLE &&
              qvx::model::kErrorInvalidParameter == ERROR_INVALID_PARAMETER &&
              qvx::model::kErrorInsufficientBuffer == ERROR_INSUFFICIENT_BUFFER);

std::uint32_t handle_value(HANDLE h) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(h));
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

// The echo table's line for the address as the network's answer.
qvx::model::EchoAnswer answer_for(const iphlp_double::State& s, IPAddr dest) {
  const std::string address = iphlp_double::dotted(dest);
  const bool loopback = (reinterpret_cast<const unsigned char*>(&dest)[0]) == 127;
  iphlp_double::Echo echo{address, loopback ? 0u : std::uint32_t{IP_REQ_TIMED_OUT}, 0, false};
  if (const auto* e = s.echo_for(address)) echo = *e;
  qvx::model::EchoAnswer answer;
  answer.comes_back = echo.status != IP_REQ_TIMED_OUT;
  answer.round_trip_ms = echo.rtt;
  answer.status = echo.status;
  answer.status_as_record = echo.reply;
  return answer;
}

// IcmpSendEcho under the double's lock; wait_ms is how long the answer takes.
DWORD send_echo(HANDLE handle, IPAddr dest, LPVOID request, WORD request_size,
                PIP_OPTION_INFORMATION options, LPVOID reply_buffer, DWORD reply_size,
                DWORD timeout, DWORD& wait_ms) {
  Call c("IcmpSendEcho");
  c.arg("handle", handle_value(handle));
  c.text("dest", iphlp_double::dotted(dest));
  const auto* data = static_cast<const char*>(request);
  c.text("payload",
         data ? payload_text(reinterpret_cast<const unsigned char*>(data), request_size) : "null");
  // The TTL leads both the native and the 32-bit form of the options.
  c.text("ttl", options ? std::to_string(options->Ttl) : "none");
  c.arg("replysize", reply_size);
  c.arg("timeout", timeout);
  auto fail = [&c](DWORD code) {
    c.finish(code);
    SetLastError(code);
    return DWORD{0};
  };
  qvx::model::EchoRequest echo;
  echo.request_data = data != nullptr;
  echo.payload = data ? std::string(data, request_size) : std::string(request_size, '\0');
  echo.reply_buffer = reply_buffer != nullptr;
  echo.reply_size = reply_size;
  echo.timeout_ms = timeout;
  const qvx::model::IcmpEcho rules(
      c.state.xp() ? qvx::model::EchoRules::XpLike : qvx::model::EchoRules::VistaAndLater,
      sizeof(ICMP_ECHO_REPLY));
  const bool open = c.state.icmp_handles.is_open(handle_value(handle));
  if (const std::uint32_t refused = rules.refusal(open, echo)) return fail(refused);
  if (auto f = c.state.take_fault(c.function)) return fail(*f);
  const auto result = rules.result(echo, answer_for(c.state, dest));
  wait_ms = result.elapsed_ms;
  if (result.replies == 0) return fail(result.last_error);

  auto* reply = static_cast<ICMP_ECHO_REPLY*>(reply_buffer);
  std::memset(reply, 0, sizeof *reply);
  reply->Address = dest;
  reply->Status = result.status;
  reply->RoundTripTime = result.round_trip_ms;
  reply->Options.Ttl = kReplyTtl;
  if (result.status == IP_SUCCESS) {
    auto* echoed = reinterpret_cast<unsigned char*>(reply + 1);
    if (!result.data.empty()) std::memcpy(echoed, result.data.data(), result.data.size());
    reply->DataSize = static_cast<USHORT>(result.data_size);
    reply->Data = echoed;
  }
  c.arg("out_status", result.status);
  c.arg("out_rtt", result.round_trip_ms);
  c.arg("out_datasize", reply->DataSize);
  c.arg("out_replies", result.replies);
  c.finish(0);
  return result.replies;
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
  const std::uint32_t h = c.state.icmp_handles.open();
  c.arg("out_handle", h);
  c.finish(0);
  return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(h));
}

BOOL WINAPI IcmpCloseHandle(HANDLE handle) {
  Call c("IcmpCloseHandle");
  c.arg("handle", handle_value(handle));
  if (!c.state.icmp_handles.close(handle_value(handle))) {
    c.finish(ERROR_INVALID_HANDLE);
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
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
