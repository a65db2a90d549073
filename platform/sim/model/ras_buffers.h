// How the RAS functions that fill a caller's buffer size it: the listings (RasEnumConnections,
// RasEnumEntries) and the single records (RasGetProjectionInfo).
#pragma once
#include <cstddef>
#include <cstdint>

namespace qvx::model {

// A listing of `items` records of `record_size` bytes into a buffer of `cb` bytes (none when
// !buffer_given). count is set to the number of items; cb to the bytes they need. Answers 0
// when they fit (the caller then writes them), else the error.
std::uint32_t fit_listing(bool buffer_given, std::uint32_t& cb, std::uint32_t record_size,
                          std::size_t items, std::uint32_t& count);

// One record of `record_size` bytes into a buffer of `cb` bytes.
std::uint32_t fit_record(bool buffer_given, std::uint32_t& cb, std::uint32_t record_size);

}  // namespace qvx::model
