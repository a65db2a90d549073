// URL download to a file (URLDownloadToFileA on Windows).
#pragma once
#include <cstdint>
#include <string>

namespace qvx::platform {

class Downloader {
 public:
  virtual ~Downloader() = default;
  // 0 when the reply was a 2xx and its body is in the file; anything else is a failure
  // (an HTTP error reply counts as one) and leaves no file at path.
  virtual long download(const std::string& url, const std::string& path) = 0;
  // The process is ending: downloads under way give up as soon as they can and later ones
  // fail at once.
  virtual void cancel() = 0;
};

// Failure results, the values the Windows download returns for the same causes.
namespace download_error {
constexpr long code(std::uint32_t hresult) {
  return static_cast<long>(static_cast<std::int32_t>(hresult));
}
constexpr long invalid_url = code(0x800C0002u);     // INET_E_INVALID_URL
constexpr long cannot_connect = code(0x800C0004u);  // INET_E_CANNOT_CONNECT
constexpr long resolve_failed = code(0x800C0005u);  // INET_E_RESOLVE_FAILURE
constexpr long failed = code(0x800C0008u);          // INET_E_DOWNLOAD_FAILURE, also HTTP errors
constexpr long timed_out = code(0x800C000Bu);       // INET_E_CONNECTION_TIMEOUT
constexpr long aborted = code(0x80004004u);         // E_ABORT
constexpr long redirect_loop = code(0x800C0014u);   // INET_E_REDIRECT_FAILED
constexpr long cannot_write = code(0x80070005u);    // E_ACCESSDENIED
}  // namespace download_error

}  // namespace qvx::platform
