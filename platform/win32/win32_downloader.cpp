#include "platform/win32/win32_downloader.h"

// clang-format off
#include <windows.h>
#include <urlmon.h>
// clang-format on

#include "platform/win32/bind_callback.h"

namespace qvx {
namespace {

std::wstring widen(const std::string& gbk) {
  if (gbk.empty()) return {};
  const int n = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  std::wstring wide(n, L'\0');
  MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), &wide[0], n);
  return wide;
}

}  // namespace

long Win32Downloader::download(const std::string& url, const std::string& path) {
  if (cancelled_) return E_ABORT;
  // The caller may be any thread; urlmon needs COM on it.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const std::wstring wide_path = widen(path);
  auto* callback = new win32::BindCallback(cancelled_, progress_);
  HRESULT hr = URLDownloadToFileW(nullptr, widen(url).c_str(), wide_path.c_str(), 0, callback);
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
