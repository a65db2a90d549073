#include "platform/win32/win32_basics.h"

#include <windows.h>

#include <shellapi.h>

#include "platform/win32/win32_text.h"

namespace qvx::win32 {

static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA is 148 bytes");
static_assert(sizeof(OSVERSIONINFOEXA) == 156, "OSVERSIONINFOEXA is 156 bytes");

std::time_t Win32Clock::now() {
  return std::time(nullptr);
}

std::tm Win32Clock::local_time(std::time_t t) {
  std::tm out{};
  localtime_s(&out, &t);  // the run log calls this from several threads
  return out;
}

void Win32Clock::pause(std::chrono::milliseconds duration) {
  Sleep(static_cast<DWORD>(duration.count()));
}

platform::MutexCreate Win32Mutex::create(const std::string& name) {
  HANDLE handle = CreateMutexW(nullptr, FALSE, wide_from_gbk(name).c_str());
  const DWORD error = GetLastError();
  if (!handle) {
    // Another user's object under a default DACL; any other failure leaves the name free to
    // try, so the program starts as before.
    return error == ERROR_ACCESS_DENIED ? platform::MutexCreate::AccessDenied
                                        : platform::MutexCreate::Created;
  }
  handles_.push_back(handle);
  return error == ERROR_ALREADY_EXISTS ? platform::MutexCreate::Existed
                                       : platform::MutexCreate::Created;
}

void Win32Process::exit(unsigned code) {
  ExitProcess(code);
}

void Win32Process::terminate(unsigned code) {
  TerminateProcess(GetCurrentProcess(), code);
}

bool Win32Version::get(platform::OsVersion& version) {
  // Room for the extended record, so any size the system accepts stays inside the buffer.
  OSVERSIONINFOEXA info{};
  if (version.size > sizeof info) return false;
  info.dwOSVersionInfoSize = version.size;
  if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) return false;
  version.major = info.dwMajorVersion;
  version.minor = info.dwMinorVersion;
  version.build = info.dwBuildNumber;
  version.platform_id = info.dwPlatformId;
  version.service_pack.assign(info.szCSDVersion,
                              strnlen(info.szCSDVersion, sizeof info.szCSDVersion));
  return true;
}

void Win32Shell::open(const std::string& target) {
  ShellExecuteW(nullptr, L"open", wide_from_gbk(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace qvx::win32
