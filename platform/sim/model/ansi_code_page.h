// The system ANSI code page (CP_ACP) and the conversions the A functions make with it: text a
// program hands to an A function becomes UTF-16 with MultiByteToWideChar(CP_ACP, 0, ...), and
// text the system hands back goes through WideCharToMultiByte(CP_ACP, 0, ...). "Code Page
// Identifiers" (learn.microsoft.com) numbers the code pages: 936 Simplified Chinese GBK, 950
// Traditional Chinese Big5, 65001 UTF-8 (the "Beta: Use Unicode UTF-8 for worldwide language
// support" setting of Windows 10 and 11 makes it the ANSI code page).
#pragma once
#include <cstdint>
#include <string>

namespace qvx::model {

constexpr std::uint32_t kCodePageGbk = 936;
constexpr std::uint32_t kCodePageBig5 = 950;
constexpr std::uint32_t kCodePageUtf8 = 65001;

// MultiByteToWideChar without flags.
std::u16string wide_from_ansi(std::uint32_t code_page, const std::string& text);
// WideCharToMultiByte without flags and with the code page's default character.
std::string ansi_from_wide(std::uint32_t code_page, const std::u16string& text);

}  // namespace qvx::model
