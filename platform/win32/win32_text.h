// GBK text at the Win32 boundary: the application's strings become UTF-16 only for W calls.
#pragma once
#include <optional>
#include <string>

namespace qvx::win32 {

std::wstring wide_from_gbk(const std::string& gbk);
// Unmappable characters become '?'.
std::string gbk_from_wide(const std::wstring& text);
// Nothing when some character has no GBK form (a path that would no longer name the file).
std::optional<std::string> exact_gbk_from_wide(const std::wstring& text);

}  // namespace qvx::win32
