#include "platform/sim/model/ansi_code_page.h"

#include <algorithm>

#if __has_include(<iconv.h>)
#include <iconv.h>
#define QVX_MODEL_HAS_ICONV 1
#endif

namespace qvx::model {
namespace {

constexpr char16_t kReplacement = u'\uFFFD';

bool continuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

// "MultiByteToWideChar function (stringapiset.h)", learn.microsoft.com: from Vista on, without
// MB_ERR_INVALID_CHARS an illegal UTF-8 sequence becomes U+FFFD; the bytes after it are read
// afresh, so each stray byte of a legacy-encoded text is one U+FFFD.
std::u16string wide_from_utf8(const std::string& text) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80                   ? 1
                               : lead >= 0xC2 && lead < 0xE0 ? 2
                               : lead >= 0xE0 && lead < 0xF0 ? 3
                               : lead >= 0xF0 && lead < 0xF5 ? 4
                                                             : 0;
    char32_t code = length == 1   ? lead
                    : length == 2 ? lead & 0x1F
                    : length == 3 ? lead & 0x0F
                                  : lead & 0x07;
    bool ok = length != 0 && i + length <= text.size();
    for (std::size_t k = 1; ok && k < length; ++k) {
      const auto c = static_cast<unsigned char>(text[i + k]);
      ok = continuation(c);
      code = code << 6 | (c & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF are illegal too.
    ok = ok && !(length == 3 && (code < 0x800 || (code >= 0xD800 && code < 0xE000))) &&
         !(length == 4 && (code < 0x10000 || code > 0x10FFFF));
    if (!ok) {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    if (code >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(code));
    }
    i += length;
  }
  return out;
}

// "WideCharToMultiByte function (stringapiset.h)": for CP_UTF8 a lone surrogate becomes U+FFFD.
std::string utf8_from_wide(const std::u16string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (code >= 0xD800 && code < 0xE000) {
      code = kReplacement;
    }
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | code >> 6));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | code >> 12));
      out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | code >> 18));
      out.push_back(static_cast<char>(0x80 | (code >> 12 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return out;
}

#ifdef QVX_MODEL_HAS_ICONV
// The double-byte code pages' tables are the C library's. A character one side lacks becomes
// the default character: '?' in the code page ("WideCharToMultiByte": lpDefaultChar NULL uses
// the system default), U+003F in UTF-16. Best-fit mappings are not modelled: a character
// without an exact form reads as the default character.
std::string convert(const char* to, const char* from, const std::string& in, std::size_t unit,
                    const std::string& replacement) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string();
  std::string out;
  char* src = const_cast<char*>(in.data());
  std::size_t left = in.size();
  char buf[64];
  while (left > 0) {
    char* dst = buf;
    std::size_t room = sizeof buf;
    const std::size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(buf, dst);
    if (r == static_cast<std::size_t>(-1) && dst == buf && room == sizeof buf) {
      // Not a buffer too small: this unit has no form on the other side.
      const std::size_t skip = std::min(unit, left);
      src += skip;
      left -= skip;
      out += replacement;
    }
  }
  iconv_close(cd);
  return out;
}

const char* charset(std::uint32_t code_page) {
  switch (code_page) {
    case kCodePageGbk:
      return "CP936";
    case kCodePageBig5:
      return "CP950";
    default:
      return "CP1252";
  }
}

std::string bytes_of(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

std::u16string units_of(const std::string& bytes) {
  std::u16string out;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    out.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                        static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  return out;
}
#endif

}  // namespace

std::u16string wide_from_ansi(std::uint32_t code_page, const std::string& text) {
  if (code_page == kCodePageUtf8) return wide_from_utf8(text);
#ifdef QVX_MODEL_HAS_ICONV
  return units_of(convert("UTF-16LE", charset(code_page), text, 1, std::string("?\0", 2)));
#else
  // Without the tables only ASCII, which every ANSI code page shares, converts.
  std::u16string out;
  for (char c : text) out.push_back(static_cast<unsigned char>(c) < 0x80 ? c : u'?');
  return out;
#endif
}

std::string ansi_from_wide(std::uint32_t code_page, const std::u16string& text) {
  if (code_page == kCodePageUtf8) return utf8_from_wide(text);
#ifdef QVX_MODEL_HAS_ICONV
  return convert(charset(code_page), "UTF-16LE", bytes_of(text), 2, "?");
#else
  std::string out;
  for (char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
#endif
}

}  // namespace qvx::model
