#include "platform/sim/model/ras_buffers.h"

#include "platform/sim/model/ras_codes.h"

namespace qvx::model {

// "RasEnumConnectionsA function (ras.h)" and "RasEnumEntriesA function (ras.h)",
// learn.microsoft.com: lpcb is the buffer's size on input and the size needed on output; a
// buffer too small is ERROR_BUFFER_TOO_SMALL, and the size alone is asked for with no buffer
// and *lpcb = 0. No buffer with a size claimed for it is ERROR_INVALID_BUFFER.
std::uint32_t fit_listing(bool buffer_given, std::uint32_t& cb, std::uint32_t record_size,
                          std::size_t items, std::uint32_t& count) {
  if (!buffer_given && cb != 0) return ras::kInvalidBuffer;
  const std::uint32_t needed = static_cast<std::uint32_t>(items) * record_size;
  count = static_cast<std::uint32_t>(items);
  const bool fits = cb >= needed;
  cb = needed;
  return fits ? 0 : ras::kBufferTooSmall;
}

// "RasGetProjectionInfoA function (ras.h)": a buffer smaller than the record is
// ERROR_BUFFER_TOO_SMALL, with the size needed in lpcb.
std::uint32_t fit_record(bool buffer_given, std::uint32_t& cb, std::uint32_t record_size) {
  if (buffer_given && cb >= record_size) return 0;
  cb = record_size;
  return ras::kBufferTooSmall;
}

}  // namespace qvx::model
