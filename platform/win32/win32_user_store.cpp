#include "platform/win32/win32_user_store.h"

#include <windows.h>

#include <wincrypt.h>

#include "platform/win32/system_library.h"
#include "platform/win32/win32_text.h"

namespace qvx::win32 {
namespace {

constexpr wchar_t kUserKey[] = L"Software\\Quovix";

// "CryptProtectData function (dpapi.h)", learn.microsoft.com.
using ProtectFn = decltype(&CryptProtectData);
using UnprotectFn = decltype(&CryptUnprotectData);

template <typename Fn>
Fn crypt32_function(const char* name) {
  static const HMODULE crypt32 = load_system_library(L"crypt32.dll");
  return crypt32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(crypt32, name)))
                 : nullptr;
}

DATA_BLOB blob_of(const std::string& bytes) {
  return DATA_BLOB{static_cast<DWORD>(bytes.size()),
                   reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()))};
}

std::string take(DATA_BLOB& out) {
  std::string bytes(reinterpret_cast<const char*>(out.pbData), out.cbData);
  SecureZeroMemory(out.pbData, out.cbData);
  LocalFree(out.pbData);
  return bytes;
}

}  // namespace

std::optional<std::string> Win32UserStore::read(const std::string& name) {
  const std::wstring value = wide_from_gbk(name);
  DWORD type = 0, size = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, kUserKey, value.c_str(), RRF_RT_REG_BINARY, &type, nullptr,
                   &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::string bytes(size, '\0');
  if (RegGetValueW(HKEY_CURRENT_USER, kUserKey, value.c_str(), RRF_RT_REG_BINARY, &type,
                   bytes.data(), &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  bytes.resize(size);
  return bytes;
}

bool Win32UserStore::write(const std::string& name, const std::string& bytes) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kUserKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LSTATUS status =
      RegSetValueExW(key, wide_from_gbk(name).c_str(), 0, REG_BINARY,
                     reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

std::optional<std::string> Win32DataProtection::protect(const std::string& plain) {
  static const ProtectFn protect_data = crypt32_function<ProtectFn>("CryptProtectData");
  if (!protect_data) return std::nullopt;
  DATA_BLOB in = blob_of(plain), out{};
  if (!protect_data(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out)) {
    return std::nullopt;
  }
  return take(out);
}

std::optional<std::string> Win32DataProtection::unprotect(const std::string& blob) {
  static const UnprotectFn unprotect_data = crypt32_function<UnprotectFn>("CryptUnprotectData");
  if (!unprotect_data) return std::nullopt;
  DATA_BLOB in = blob_of(blob), out{};
  if (!unprotect_data(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out)) {
    return std::nullopt;
  }
  return take(out);
}

}  // namespace qvx::win32
