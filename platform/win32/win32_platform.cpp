// The real operating system services over the Win32 API, built once by the program entry.
// Files go through wide paths (GBK to UTF-16 by code page 936), so any folder name works.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <ctime>

#include "platform/win32/win32_downloader.h"
#include "platform/win32/win32_icmp.h"
#include "platform/win32/win32_ip_helper.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_ras.h"
#include "platform/win32/win32_sockets.h"

namespace qvx {

namespace {

std::wstring wide(const std::string& gbk) {
  if (gbk.empty()) return {};
  const int n = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), out.data(), n);
  return out;
}

std::string gbk(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

class File : public platform::OutputFile {
 public:
  explicit File(FILE* f) : f_(f) {}
  ~File() override { std::fclose(f_); }
  void write(const std::string& bytes) override { std::fwrite(bytes.data(), 1, bytes.size(), f_); }
  void flush() override { std::fflush(f_); }

 private:
  FILE* f_;
};

class Files : public platform::Files {
 public:
  std::string program_path() override {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return gbk(path);
  }
  std::optional<std::string> read(const std::string& path) override {
    FILE* f = _wfopen(wide(path).c_str(), L"rb");
    if (!f) return std::nullopt;
    std::string out;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) out.append(buf, n);
    std::fclose(f);
    return out;
  }
  std::int64_t size(const std::string& path) override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(wide(path).c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }
  std::unique_ptr<platform::OutputFile> open_output(const std::string& path, bool append) override {
    FILE* f = _wfopen(wide(path).c_str(), append ? L"ab" : L"wb");
    return f ? std::make_unique<File>(f) : nullptr;
  }
  bool replace(const std::string& path, const std::string& bytes) override {
    const std::string temporary = path + ".new";
    {
      auto out = open_output(temporary, false);
      if (!out) return false;
      out->write(bytes);
    }
    return MoveFileExW(wide(temporary).c_str(), wide(path).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  }
  bool remove(const std::string& path) override { return DeleteFileW(wide(path).c_str()); }
};

class Clock : public platform::Clock {
 public:
  std::time_t now() override { return std::time(nullptr); }
  std::tm local_time(std::time_t t) override {
    std::tm out{};
    localtime_s(&out, &t);
    return out;
  }
};

class Mutex : public platform::NamedMutex {
 public:
  bool create_reports_existing(const std::string& name) override {
    handle_ = CreateMutexW(nullptr, FALSE, wide(name).c_str());
    return GetLastError() == ERROR_ALREADY_EXISTS;
  }

 private:
  HANDLE handle_ = nullptr;  // kept open for the life of the process
};

class Version : public platform::SystemVersion {
 public:
  bool get(platform::OsVersion& v) override {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = v.size;
    if (!GetVersionExA(&info)) return false;
    v.major = info.dwMajorVersion;
    v.minor = info.dwMinorVersion;
    v.build = info.dwBuildNumber;
    v.platform_id = info.dwPlatformId;
    v.service_pack = info.szCSDVersion;
    return true;
  }
};

class Shell : public platform::Shell {
 public:
  void open(const std::string& target) override {
    ShellExecuteW(nullptr, L"open", wide(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }
};

class Key : public platform::RegistryKey {
 public:
  explicit Key(HKEY key) : key_(key) {}
  ~Key() override { RegCloseKey(key_); }
  bool value_exists(const std::string& name) override {
    return RegQueryValueExW(key_, wide(name).c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
  }
  bool set_dword(const std::string& name, std::uint32_t value) override {
    const DWORD v = value;
    return RegSetValueExW(key_, wide(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v),
                          sizeof v) == ERROR_SUCCESS;
  }
  bool set_string(const std::string& name, const std::string& value) override {
    const std::wstring v = wide(value);
    return RegSetValueExW(key_, wide(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(v.c_str()),
                          static_cast<DWORD>((v.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  }
  bool delete_value(const std::string& name) override {
    return RegDeleteValueW(key_, wide(name).c_str()) == ERROR_SUCCESS;
  }

 private:
  HKEY key_;
};

class Registry : public platform::Registry {
 public:
  std::unique_ptr<platform::RegistryKey> open_local_machine(const std::string& path) override {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, wide(path).c_str(), 0, KEY_READ | KEY_WRITE, &key) !=
        ERROR_SUCCESS) {
      return nullptr;
    }
    return std::make_unique<Key>(key);
  }
};

}  // namespace

struct Win32Platform::Services {
  win32::Win32Ras ras;
  Win32IpHelper ip_helper;
  Win32Icmp icmp;
  Win32Sockets sockets;
  Win32Downloader downloader;
  Shell shell;
  Registry registry;
  Mutex mutex;
  Version version;
  Files files;
  Clock clock;
};

Win32Platform::Win32Platform() : services_(std::make_unique<Services>()) {}
Win32Platform::~Win32Platform() = default;

platform::Platform Win32Platform::platform() {
  Services& s = *services_;
  return platform::Platform{s.ras,      s.ip_helper, s.icmp,    s.sockets, s.downloader, s.shell,
                            s.registry, s.mutex,     s.version, s.files,   s.clock};
}

}  // namespace qvx
