#include "platform/win32/win32_text.h"

#include <windows.h>

namespace qvx::win32 {

namespace {

constexpr UINT kGbk = 936;

std::string convert(const std::wstring& text, DWORD flags, BOOL* lossy) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(kGbk, flags, text.data(), length, nullptr, 0, nullptr, lossy);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(kGbk, flags, text.data(), length, out.data(), n, nullptr, lossy);
  return out;
}

}  // namespace

std::wstring wide_from_gbk(const std::string& gbk) {
  if (gbk.empty()) return {};
  const int length = static_cast<int>(gbk.size());
  const int n = MultiByteToWideChar(kGbk, 0, gbk.data(), length, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(kGbk, 0, gbk.data(), length, out.data(), n);
  return out;
}

std::string gbk_from_wide(const std::wstring& text) {
  return convert(text, 0, nullptr);
}

std::optional<std::string> exact_gbk_from_wide(const std::wstring& text) {
  BOOL lossy = FALSE;
  // Without WC_NO_BEST_FIT_CHARS a look-alike would be substituted silently.
  std::string out = convert(text, WC_NO_BEST_FIT_CHARS, &lossy);
  if (lossy) return std::nullopt;
  return out;
}

}  // namespace qvx::win32
