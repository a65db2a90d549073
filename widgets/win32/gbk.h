// The Win32 boundary of the application's GBK text: every W call goes through here.
#pragma once
#include <string>

namespace qvx::widgets::win32 {

std::wstring widen(const std::string& gbk);    // code page 936 to UTF-16
std::string narrow(const std::wstring& text);  // UTF-16 to code page 936; unmappable as '?'

}  // namespace qvx::widgets::win32
