#include "platform/win32/win32_downloader.h"

// clang-format off
#include <windows.h>
#include <urlmon.h>
// clang-format on

namespace qvx {
namespace {

std::wstring widen(const std::string& gbk) {
  if (gbk.empty()) return {};
  const int n = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  std::wstring wide(n, L'\0');
  MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), &wide[0], n);
  return wide;
}

// Records the status line of the reply and asks for a fresh copy rather than the cache's.
// Once the downloader is cancelled, the next progress report aborts the transfer.
class BindCallback final : public IBindStatusCallback, public IHttpNegotiate {
 public:
  explicit BindCallback(const std::atomic<bool>& cancelled) : cancelled_(cancelled) {}
  DWORD status() const { return status_; }

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IBindStatusCallback)) {
      *out = static_cast<IBindStatusCallback*>(this);
    } else if (IsEqualIID(riid, IID_IHttpNegotiate)) {
      *out = static_cast<IHttpNegotiate*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
  }

  STDMETHODIMP OnStartBinding(DWORD, IBinding*) override { return S_OK; }
  STDMETHODIMP GetPriority(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP OnLowResource(DWORD) override { return S_OK; }
  STDMETHODIMP OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override {
    return cancelled_ ? E_ABORT : S_OK;
  }
  STDMETHODIMP OnStopBinding(HRESULT, LPCWSTR) override { return S_OK; }
  STDMETHODIMP GetBindInfo(DWORD* flags, BINDINFO*) override {
    *flags |= BINDF_GETNEWESTVERSION | BINDF_NOWRITECACHE | BINDF_PRAGMA_NO_CACHE;
    return S_OK;
  }
  STDMETHODIMP OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override {
    return cancelled_ ? E_ABORT : S_OK;
  }
  STDMETHODIMP OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

  STDMETHODIMP BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* extra) override {
    if (extra) *extra = nullptr;
    return S_OK;
  }
  STDMETHODIMP OnResponse(DWORD code, LPCWSTR, LPCWSTR, LPWSTR* extra) override {
    status_ = code;
    if (extra) *extra = nullptr;
    return S_OK;
  }

 private:
  const std::atomic<bool>& cancelled_;
  LONG refs_ = 1;
  DWORD status_ = 0;
};

}  // namespace

long Win32Downloader::download(const std::string& url, const std::string& path) {
  if (cancelled_) return E_ABORT;
  // The caller may be any thread; urlmon needs COM on it.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const std::wstring wide_path = widen(path);
  BindCallback* callback = new BindCallback(cancelled_);
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
