// The ICMP echo functions: IcmpCreateFile, IcmpSendEcho and IcmpCloseHandle.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>

namespace qvx::model {

using IcmpHandle = std::uint32_t;

// Status and error codes (ipexport.h, winerror.h).
constexpr std::uint32_t kIpSuccess = 0;
constexpr std::uint32_t kIpBufTooSmall = 11001;
constexpr std::uint32_t kIpReqTimedOut = 11010;
constexpr std::uint32_t kErrorInvalidHandle = 6;
constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr std::uint32_t kErrorInsufficientBuffer = 122;

// Where the documented rules part: Vista and later, or the XP-era page.
enum class EchoRules { VistaAndLater, XpLike };

// IcmpCreateFile's handles, owned by the process that opened them.
class IcmpHandles {
 public:
  IcmpHandle open();
  // False (ERROR_INVALID_HANDLE) for a handle that is not open.
  bool close(IcmpHandle handle);
  bool is_open(IcmpHandle handle) const { return open_.count(handle) > 0; }
  std::size_t size() const { return open_.size(); }

 private:
  std::set<IcmpHandle> open_;
  IcmpHandle next_ = 0x100;
};

struct EchoRequest {
  bool request_data = true;  // RequestData is not null
  std::string payload;       // RequestData, RequestSize bytes
  bool reply_buffer = true;  // ReplyBuffer is not null
  std::size_t reply_size = 0;
  std::uint32_t timeout_ms = 0;
};

// How the network answers one request.
struct EchoAnswer {
  bool comes_back = false;  // false: no reply at all
  std::uint32_t round_trip_ms = 0;
  std::uint32_t status = kIpSuccess;
  bool status_as_record = true;       // a non-zero status comes back in a reply record
  std::uint32_t records = 1;          // reply records the call reports
  std::optional<std::string> echoed;  // what the host echoes, when not the payload
};

// IcmpSendEcho's result: the return value, the last error when it is 0, the first reply
// record, and how long the call takes.
struct EchoResult {
  std::uint32_t replies = 0;
  std::uint32_t last_error = 0;
  std::uint32_t elapsed_ms = 0;
  std::uint32_t status = kIpSuccess;
  std::uint32_t round_trip_ms = 0;
  std::uint32_t data_size = 0;  // as the reply states it
  std::string data;             // the echoed bytes that fit in the buffer behind the record
};

class IcmpEcho {
 public:
  // record_size: ICMP_ECHO_REPLY's size for the caller (28, or 40 for 64-bit callers).
  IcmpEcho(EchoRules rules, std::size_t record_size) : rules_(rules), record_size_(record_size) {}

  std::size_t minimum_reply_size(std::size_t request_size) const;
  // What fails before a request goes out: 0 when it may be sent, else the last error.
  std::uint32_t refusal(bool handle_open, const EchoRequest& request) const;
  // The call once the network answered (or did not).
  EchoResult result(const EchoRequest& request, const EchoAnswer& answer) const;

 private:
  EchoRules rules_;
  std::size_t record_size_;
};

}  // namespace qvx::model
