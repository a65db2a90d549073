// The download's binding flags and the loading of system DLLs, over Win32.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>

#include "platform/win32/bind_callback.h"
#include "platform/win32/system_library.h"

namespace qvx::win32 {
namespace {

TEST(BindCallback, SetsTheBindFlagsWhateverTheyHeldBefore) {
  const std::atomic<bool> cancelled{false};
  auto* callback = new BindCallback(cancelled);
  const DWORD wanted = BINDF_GETNEWESTVERSION | BINDF_NOWRITECACHE | BINDF_PRAGMA_NO_CACHE;
  for (const DWORD before : {DWORD{0}, DWORD{0xFFFFFFFF}, DWORD{BINDF_ASYNCHRONOUS}}) {
    DWORD flags = before;
    BINDINFO info{};
    info.cbSize = sizeof info;
    EXPECT_EQ(callback->GetBindInfo(&flags, &info), S_OK);
    EXPECT_EQ(flags, wanted) << "held " << before;
  }
  callback->Release();
}

// The module comes from the system folder; test_system_dlls.sh plants a decoy beside the exe.
TEST(SystemLibrary, IsTakenFromTheSystemFolder) {
  const HMODULE icmp = load_system_library(L"ICMP.DLL");
  ASSERT_NE(icmp, nullptr);
  wchar_t module[MAX_PATH], folder[MAX_PATH];
  ASSERT_GT(GetModuleFileNameW(icmp, module, MAX_PATH), 0u);
  const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(CompareStringOrdinal(module, static_cast<int>(n), folder, static_cast<int>(n), TRUE),
            CSTR_EQUAL);
  FreeLibrary(icmp);
  EXPECT_EQ(load_system_library(L"no-such-library.dll"), nullptr);
}

}  // namespace
}  // namespace qvx::win32
