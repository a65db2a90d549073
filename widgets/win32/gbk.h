// The Win32 boundary of the application's GBK text: every W call goes through here. The
// conversion itself is the platform layer's.
#pragma once
#include <string>

#include "platform/win32/win32_text.h"

namespace qvx::widgets::win32 {

inline std::wstring widen(const std::string& gbk) {
  return ::qvx::win32::wide_from_gbk(gbk);
}
// Unmappable characters become '?'.
inline std::string narrow(const std::wstring& text) {
  return ::qvx::win32::gbk_from_wide(text);
}

}  // namespace qvx::widgets::win32
