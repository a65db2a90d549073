#include "platform/win32/win32_downloader.h"

// clang-format off
#include <windows.h>
#include <urlmon.h>
// clang-format on

#include "platform/win32/bind_callback.h"
#include "platform/win32/system_function.h"

namespace qvx {
namespace {

std::wstring widen(const std::string& gbk) {
  if (gbk.empty()) return {};
  const int n = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  std::wstring wide(n, L'\0');
  MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), &wide[0], n);
  return wide;
}

// urlmon from the system folder (system_function.h).
HRESULT download_to_file(const wchar_t* url, const wchar_t* path, IBindStatusCallback* callback) {
  static const win32::SystemFunction<decltype(&URLDownloadToFileW)> download{L"urlmon.dll",
                                                                             "URLDownloadToFileW"};
  return download.call_or(HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND), nullptr, url, path, DWORD{0},
                          callback);
}

}  // namespace

long Win32Downloader::download(const std::string& url, const std::string& path) {
  if (cancelled_) return E_ABORT;
  // The caller may be any thread; urlmon needs COM on it.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const std::wstring wide_path = widen(path);
  auto* callback = new win32::BindCallback(cancelled_, progress_);
  HRESULT hr = download_to_file(widen(url).c_str(), wide_path.c_str(), callback);
  const DWORD status = callback->status();
  callback->Release();
  last_status_ = status;
  if (hr == S_OK && (status < 200 || status > 299)) hr = INET_E_DOWNLOAD_FAILURE;
  // Neither an error page nor a half-written reply may be read as a reply.
  if (hr != S_OK) DeleteFileW(wide_path.c_str());
  if (SUCCEEDED(com)) CoUninitialize();
  return hr;
}

}  // namespace qvx
