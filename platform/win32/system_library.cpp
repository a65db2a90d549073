#include "platform/win32/system_library.h"

#include <string>

namespace qvx::win32 {

namespace {

// "LoadLibraryExW function (libloaderapi.h)", learn.microsoft.com: LOAD_LIBRARY_SEARCH_SYSTEM32
// needs Windows 8, or Windows 7 with KB2533623, whose presence AddDllDirectory tells; elsewhere
// the flag fails with ERROR_INVALID_PARAMETER.
bool search_flags_supported() {
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  return kernel && GetProcAddress(kernel, "AddDllDirectory") != nullptr;
}

// The full path in the folder GetSystemDirectory names.
HMODULE load_by_full_path(const wchar_t* file_name) {
  wchar_t folder[MAX_PATH];
  const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  std::wstring path(folder, n);
  path += L'\\';
  path += file_name;
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

HMODULE load_system_library(const wchar_t* file_name) {
  if (search_flags_supported()) {
    if (HMODULE m = LoadLibraryExW(file_name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return m;
    if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
  }
  return load_by_full_path(file_name);
}

}  // namespace qvx::win32
