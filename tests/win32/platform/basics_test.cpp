// Clock, named mutex, version query and shell execution over Win32.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "platform/win32/win32_basics.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_text.h"

namespace qvx::win32 {
namespace {

TEST(Win32Clock, LocalTimeAgreesWithTheSystemClock) {
  Win32Clock clock;
  SYSTEMTIME before, after;
  GetLocalTime(&before);
  const std::tm t = clock.local_time(clock.now());
  GetLocalTime(&after);
  EXPECT_GE(t.tm_year + 1900, before.wYear);
  EXPECT_LE(t.tm_year + 1900, after.wYear);
  const int seconds = t.tm_hour * 3600 + t.tm_min * 60 + t.tm_sec;
  const int low = before.wHour * 3600 + before.wMinute * 60 + before.wSecond;
  const int high = after.wHour * 3600 + after.wMinute * 60 + after.wSecond;
  if (low <= high) {  // not across midnight
    EXPECT_GE(seconds, low);
    EXPECT_LE(seconds, high);
  }
}

TEST(Win32Mutex, SecondCreationOfTheNameReportsItExists) {
  Win32Mutex first, second;
  EXPECT_EQ(first.create("Quovix加速测试"), platform::MutexCreate::Created);
  EXPECT_EQ(second.create("Quovix加速测试"), platform::MutexCreate::Existed);
  // The GBK name reached the system as Unicode, and the object stays while its handle does.
  HANDLE h = OpenMutexW(SYNCHRONIZE, FALSE, L"Quovix加速测试");
  EXPECT_NE(h, nullptr);
  if (h) CloseHandle(h);
}

TEST(Win32Mutex, AGlobalNameIsKeptAndSeenByItsFullName) {
  Win32Mutex first, second;
  EXPECT_EQ(first.create("Global\\Quovix加速测试"), platform::MutexCreate::Created);
  EXPECT_EQ(second.create("Global\\Quovix加速测试"), platform::MutexCreate::Existed);
  HANDLE h = OpenMutexW(SYNCHRONIZE, FALSE, L"Global\\Quovix加速测试");
  EXPECT_NE(h, nullptr);
  if (h) CloseHandle(h);
}

TEST(Win32Version, ReportsWhatTheSystemReports) {
  Win32Version version;
  platform::OsVersion v;
  ASSERT_TRUE(version.get(v));
  const DWORD packed = GetVersion();
  EXPECT_EQ(v.major, LOBYTE(LOWORD(packed)));
  EXPECT_EQ(v.minor, HIBYTE(LOWORD(packed)));
  EXPECT_EQ(v.platform_id, static_cast<std::uint32_t>(VER_PLATFORM_WIN32_NT));
  EXPECT_GT(v.build, 0u);
}

TEST(Win32Version, RefusesSizesTheSystemDoesNotKnow) {
  Win32Version version;
  for (std::uint32_t size : {0u, 147u, 4096u}) {
    platform::OsVersion v;
    v.size = size;
    EXPECT_FALSE(version.get(v)) << size;
  }
}

TEST(Win32Shell, OpensADocumentWithItsProgram) {
  Win32Files files;
  const std::string program = files.program_path();
  const std::string dir = program.substr(0, program.rfind('\\') + 1);
  const std::wstring marker = wide_from_gbk(dir + "opened.txt");
  const std::wstring script = wide_from_gbk(dir + "打开测试.cmd");
  DeleteFileW(marker.c_str());
  {
    HANDLE h = CreateFileW(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    // ASCII only: cmd reads scripts in the console code page, whatever the locale.
    const char text[] = "@echo opened>\"%~dp0opened.txt\"\r\n";
    DWORD written;
    WriteFile(h, text, sizeof text - 1, &written, nullptr);
    CloseHandle(h);
  }
  Win32Shell shell;
  shell.open(dir + "打开测试.cmd");
  bool opened = false;
  for (int i = 0; i < 150 && !opened; ++i) {
    opened = GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!opened) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_TRUE(opened);
  DeleteFileW(marker.c_str());
  DeleteFileW(script.c_str());
}

}  // namespace
}  // namespace qvx::win32
