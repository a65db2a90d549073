#include "platform/sim/model/icmp_echo.h"

#include <algorithm>

namespace qvx::model {

namespace {

constexpr std::size_t kIcmpErrorBytes = 8;

}  // namespace

// "IcmpCreateFile function (icmpapi.h)" and "IcmpCloseHandle function (icmpapi.h)",
// learn.microsoft.com: a handle stays valid until closed; closing one that is not open fails.
IcmpHandle IcmpHandles::open() {
  const IcmpHandle h = next_++;
  open_.insert(h);
  return h;
}

bool IcmpHandles::close(IcmpHandle handle) {
  return open_.erase(handle) > 0;
}

// "IcmpSendEcho function (icmpapi.h)", learn.microsoft.com: the reply buffer holds at least one
// ICMP_ECHO_REPLY plus RequestSize bytes of data, and 8 bytes more for an ICMP error message.
// The XP-era page of the function asks only for the record and the 8 bytes.
std::size_t IcmpEcho::minimum_reply_size(std::size_t request_size) const {
  const std::size_t data = rules_ == EchoRules::XpLike ? 0 : request_size;
  return record_size_ + data + kIcmpErrorBytes;
}

// The same page: an unknown handle fails the call; so do a null reply buffer and request
// data missing behind a non-zero RequestSize (ERROR_INVALID_PARAMETER); a buffer below the
// minimum fails with ERROR_INSUFFICIENT_BUFFER, where the older systems answered
// IP_BUF_TOO_SMALL (ICMP_ECHO_REPLY, ipexport.h).
std::uint32_t IcmpEcho::refusal(bool handle_open, const EchoRequest& request) const {
  if (!handle_open) return kErrorInvalidHandle;
  if (!request.reply_buffer || (!request.payload.empty() && !request.request_data)) {
    return kErrorInvalidParameter;
  }
  if (request.reply_size < minimum_reply_size(request.payload.size())) {
    return rules_ == EchoRules::XpLike ? kIpBufTooSmall : kErrorInsufficientBuffer;
  }
  return 0;
}

// The same page: the call returns when the time-out has expired or the buffer is filled,
// with the number of reply records and each record's status; 0 with the cause in the last
// error. A reply later than the time-out, or none, is IP_REQ_TIMED_OUT after the whole
// time-out. An error status may come back as a record or only as the last error.
EchoResult IcmpEcho::result(const EchoRequest& request, const EchoAnswer& answer) const {
  EchoResult r;
  if (!answer.comes_back || answer.records == 0 || answer.round_trip_ms > request.timeout_ms) {
    r.last_error = kIpReqTimedOut;
    r.elapsed_ms = request.timeout_ms;
    return r;
  }
  r.elapsed_ms = answer.round_trip_ms;
  if (answer.status != kIpSuccess && !answer.status_as_record) {
    r.last_error = answer.status;
    return r;
  }
  r.replies = answer.records;
  r.status = answer.status;
  r.round_trip_ms = answer.round_trip_ms;
  if (answer.status == kIpSuccess) {
    const std::string echoed = answer.echoed.value_or(request.payload);
    r.data_size = static_cast<std::uint32_t>(echoed.size());
    // Whatever does not fit behind the reply record is cut off.
    r.data = echoed.substr(0, std::min(echoed.size(), request.reply_size - record_size_));
  }
  return r;
}

}  // namespace qvx::model
