// The result codes and connection states the RAS rules answer with, as "Routing and Remote Access
// Error Codes" and "System Error Codes" (learn.microsoft.com) number them, and the RASCONNSTATE
// values ("RASCONNSTATE enumeration (ras.h)") a connection reports.
#pragma once
#include <cstdint>

namespace qvx::model::ras {

constexpr std::uint32_t kInvalidHandle = 6;            // ERROR_INVALID_HANDLE
constexpr std::uint32_t kInvalidParameter = 87;        // ERROR_INVALID_PARAMETER
constexpr std::uint32_t kInvalidName = 123;            // ERROR_INVALID_NAME
constexpr std::uint32_t kBufferTooSmall = 603;         // ERROR_BUFFER_TOO_SMALL
constexpr std::uint32_t kInvalidBuffer = 610;          // ERROR_INVALID_BUFFER
constexpr std::uint32_t kEntryNotFound = 623;          // ERROR_CANNOT_FIND_PHONEBOOK_ENTRY
constexpr std::uint32_t kInvalidSize = 632;            // ERROR_INVALID_SIZE
constexpr std::uint32_t kPortNotAvailable = 633;       // ERROR_PORT_NOT_AVAILABLE
constexpr std::uint32_t kProjectionNotComplete = 730;  // ERROR_PROJECTION_NOT_COMPLETE
constexpr std::uint32_t kProtocolNotConfigured = 731;  // ERROR_PROTOCOL_NOT_CONFIGURED

constexpr std::uint32_t kConnected = 0x2000;     // RASCS_Connected
constexpr std::uint32_t kDisconnected = 0x2001;  // RASCS_Disconnected

constexpr std::uint32_t kProjectionPppIp = 0x8021;  // RASP_PppIp

}  // namespace qvx::model::ras
