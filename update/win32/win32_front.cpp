#include "update/win32/win32_front.h"

// clang-format off
#include <windows.h>
#include <urlmon.h>
// clang-format on

#include "platform/text_mode.h"
#include "platform/win32/authenticode.h"
#include "platform/win32/win32_text.h"
#include "shell/client_names.h"
#include "shell/run_log.h"
#include "update/manifest.h"
#include "update/sha256.h"
#include "verify/request_urls.h"

namespace qvx::update::win32 {
namespace {

using qvx::win32::wide_from_gbk;

constexpr DWORD kClientWaitMs = 15000;

std::string temp_folder() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  if (n == 0 || n > MAX_PATH) return {};
  return qvx::win32::exact_gbk_from_wide(std::wstring(buffer, n)).value_or("");
}

}  // namespace

Win32Front::Win32Front(platform::Platform os, ProgressWindow& window, Win32Downloader& downloader,
                       std::string dir, std::string program)
    : os_(os),
      window_(window),
      downloader_(downloader),
      dir_(std::move(dir)),
      program_(std::move(program)) {}

std::string Win32Front::token() {
  return request_token(os_.clock);
}

// Into a file of its own in %TEMP%: the downloader checks the reply's status on the way.
std::optional<std::string> Win32Front::fetch(const std::string& url) {
  const std::string temp = temp_folder();
  wchar_t name[MAX_PATH];
  if (temp.empty() || !GetTempFileNameW(wide_from_gbk(temp).c_str(), L"qvu", 0, name)) return {};
  const std::string path = qvx::win32::gbk_from_wide(name);
  std::optional<std::string> body;
  if (downloader_.download(url, path) == S_OK)
    body = os_.files.read_at_most(path, kMaxManifestSize + 1);
  DeleteFileW(name);
  return body;
}

// A new folder, never one that was there: CreateDirectory fails on an existing name, and the
// next name is tried.
std::string Win32Front::make_private_folder() {
  const std::string temp = temp_folder();
  if (temp.empty()) return {};
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string folder = temp + "qvx-update-" + std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(GetTickCount() + attempt);
    if (CreateDirectoryW(wide_from_gbk(folder).c_str(), nullptr)) return folder + "\\";
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  log("无法创建临时文件夹，错误码：" + std::to_string(GetLastError()));
  return {};
}

Download Win32Front::download(const std::string& url, const std::string& path, std::uint64_t size) {
  window_.show("正在下载新版本……");
  window_.report(0, size);
  downloader_.set_progress([this, size](unsigned long done, unsigned long total) {
    window_.report(done, total ? total : size);
  });
  const long hr = downloader_.download(url, path);
  downloader_.set_progress({});
  if (window_.cancelled()) return Download::cancelled;
  if (hr == S_OK) return Download::done;
  log("下载失败：" + url + "，HTTP状态：" + std::to_string(downloader_.last_http_status()) +
      "，错误码：" + std::to_string(hr));
  return downloader_.last_http_status() == 404 ? Download::not_found : Download::failed;
}

std::optional<FileFacts> Win32Front::inspect(const std::string& path) {
  window_.set_status("正在校验更新文件……", true);
  HANDLE file = CreateFileW(wide_from_gbk(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  FileFacts facts;
  Sha256 hash;
  char buffer[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0) {
    hash.add(buffer, got);
    facts.size += got;
  }
  CloseHandle(file);
  if (!ok) return {};
  facts.sha256 = hash.hex_digest();
  return facts;
}

Signature Win32Front::check_signature(const std::string& path) {
  const qvx::win32::SignerCheck own = qvx::win32::check_signer(program_);
  if (!own.trusted) {
    log("更新程序自身的签名无效，WinVerifyTrust：" + std::to_string(own.status));
    return Signature::self_unsigned;
  }
  const qvx::win32::SignerCheck setup = qvx::win32::check_signer(path);
  if (!setup.trusted) {
    log("安装程序的签名无效，WinVerifyTrust：" + std::to_string(setup.status));
    return Signature::untrusted;
  }
  if (setup.signer != own.signer) return Signature::other_signer;
  return Signature::same_signer;
}

// Polled by name: a handle held here would keep the mutex alive after the client ends. Another
// Windows user's client denies access to its global name: it runs too, and the setup would stop.
bool Win32Front::wait_for_client() {
  window_.set_status("正在等待Quovix加速退出……", true);
  const auto held = [](const char* name) {
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, wide_from_gbk(name).c_str());
    if (!mutex) return GetLastError() == ERROR_ACCESS_DENIED;
    CloseHandle(mutex);
    return true;
  };
  const ULONGLONG until = GetTickCount64() + kClientWaitMs;
  while (held(kClientMutexSession) || held(kClientMutexGlobal)) {
    if (GetTickCount64() >= until) return false;
    Sleep(100);
  }
  return true;
}

// /D= must come last and unquoted: NSIS takes the rest of the line as the folder.
std::optional<int> Win32Front::run_setup(const std::string& path) {
  window_.set_status("正在安装新版本……", false);
  const std::string folder = dir_.substr(0, dir_.size() - 1);
  std::wstring command = wide_from_gbk("\"" + path + "\" /S /D=" + folder);
  // The setup replaces update.exe too, and a running program's file cannot be written, only
  // renamed: this one steps aside, and comes back if the setup installs nothing.
  const std::wstring self = wide_from_gbk(program_);
  const std::wstring aside = wide_from_gbk(dir_ + kSetAsideName);
  if (!MoveFileExW(self.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING))
    log("无法移开更新程序自身，错误码：" + std::to_string(GetLastError()));
  const auto restore_self = [&] {
    if (GetFileAttributesW(self.c_str()) == INVALID_FILE_ATTRIBUTES)
      MoveFileExW(aside.c_str(), self.c_str(), 0);
  };
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    log("无法运行安装程序，错误码：" + std::to_string(GetLastError()));
    restore_self();
    return {};
  }
  CloseHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  restore_self();
  log("安装程序结束，退出码：" + std::to_string(code));
  return static_cast<int>(code);
}

void Win32Front::remove(const std::string& path, const std::string& folder) {
  DeleteFileW(wide_from_gbk(path).c_str());
  RemoveDirectoryW(wide_from_gbk(folder.substr(0, folder.size() - 1)).c_str());
}

// Through the shell: the client asks for administrator rights in its manifest.
bool Win32Front::start_client() {
  window_.hide();
  const std::wstring program = wide_from_gbk(dir_ + "quovix.exe");
  const std::wstring folder = wide_from_gbk(dir_);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.lpVerb = L"open";
  info.lpFile = program.c_str();
  info.lpDirectory = folder.c_str();
  info.nShow = SW_SHOWNORMAL;
  return ShellExecuteExW(&info) != FALSE;
}

void Win32Front::message(const std::string& text) {
  window_.hide();
  MessageBoxW(nullptr, wide_from_gbk(text).c_str(), wide_from_gbk("Quovix加速").c_str(),
              MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND);
}

// One line per call, as the client writes qvxl.log.
void Win32Front::log(const std::string& line) {
  const std::unique_ptr<platform::OutputFile> file =
      os_.files.open_output(dir_ + "update.log", true);
  if (!file) return;
  file->write(
      platform::to_disk_text(log_time_stamp(os_.clock.local_time(os_.clock.now())) + line + "\n"));
  file->flush();
}

}  // namespace qvx::update::win32
