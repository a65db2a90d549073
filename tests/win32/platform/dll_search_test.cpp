// The process's DLL search once narrowed, over Win32.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win32/dll_search.h"

namespace qvx::win32 {
namespace {

// test_platform.sh puts planted_dll.dll beside the test program: after the narrowing, a load by
// its bare name no longer finds it, while the system folder's DLLs still load by name.
TEST(DllSearch, LeavesTheProgramFolderOut) {
  wchar_t exe[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
  ASSERT_GT(n, 0u);
  std::wstring beside(exe, n);
  beside.erase(beside.find_last_of(L'\\') + 1);
  beside += L"planted_dll.dll";
  ASSERT_NE(GetFileAttributesW(beside.c_str()), INVALID_FILE_ATTRIBUTES)
      << "no planted_dll.dll beside the test program";

  restrict_dll_search();
  const HMODULE planted = LoadLibraryW(L"planted_dll.dll");
  EXPECT_EQ(planted, nullptr) << "the DLL beside the program was loaded by its bare name";
  if (planted) FreeLibrary(planted);
  const HMODULE version = LoadLibraryW(L"version.dll");
  EXPECT_NE(version, nullptr);
  if (version) FreeLibrary(version);
}

}  // namespace
}  // namespace qvx::win32
