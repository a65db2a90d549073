// The binding callback of a URL download: the reply's status, a fresh copy instead of the
// cache's, the progress and the cancel.
#pragma once
// clang-format off
#include <windows.h>
#include <urlmon.h>
// clang-format on

#include <atomic>
#include <functional>

namespace qvx::win32 {

// Records the status line of the reply and asks for a fresh copy rather than the cache's.
// Once the downloader is cancelled, the next progress report aborts the transfer.
class BindCallback final : public IBindStatusCallback, public IHttpNegotiate {
 public:
  // Bytes received so far and the reply's length (0 when it names none).
  using Progress = std::function<void(unsigned long done, unsigned long total)>;

  BindCallback(const std::atomic<bool>& cancelled, Progress progress = {})
      : cancelled_(cancelled), progress_(std::move(progress)) {}
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
  STDMETHODIMP OnProgress(ULONG done, ULONG total, ULONG code, LPCWSTR) override {
    if (cancelled_) return E_ABORT;
    if (progress_ && (code == BINDSTATUS_DOWNLOADINGDATA || code == BINDSTATUS_ENDDOWNLOADDATA))
      progress_(done, total);
    return S_OK;
  }
  STDMETHODIMP OnStopBinding(HRESULT, LPCWSTR) override { return S_OK; }
  // "IBindStatusCallback::GetBindInfo", learn.microsoft.com: grfBINDF is an out parameter;
  // what it holds on the way in is not ours to keep.
  STDMETHODIMP GetBindInfo(DWORD* flags, BINDINFO*) override {
    if (!flags) return E_INVALIDARG;
    *flags = BINDF_GETNEWESTVERSION | BINDF_NOWRITECACHE | BINDF_PRAGMA_NO_CACHE;
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
  const Progress progress_;
  LONG refs_ = 1;
  DWORD status_ = 0;
};

}  // namespace qvx::win32
