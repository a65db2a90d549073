#include "platform/win32/win32_logon_tasks.h"

#include <windows.h>

#define SECURITY_WIN32
#include <security.h>
#include <taskschd.h>

#include "platform/logon_task_xml.h"
#include "platform/win32/system_function.h"
#include "platform/win32/win32_text.h"

namespace qvx::win32 {

namespace {

// Releases a COM interface pointer when it goes.
template <class T>
class Com {
 public:
  Com() = default;
  ~Com() {
    if (p_) p_->Release();
  }
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  T* operator->() const { return p_; }
  T** out() { return &p_; }

 private:
  T* p_ = nullptr;
};

class Bstr {
 public:
  explicit Bstr(const std::wstring& text) : b_(SysAllocString(text.c_str())) {}
  ~Bstr() { SysFreeString(b_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  operator BSTR() const { return b_; }

 private:
  BSTR b_;
};

// COM on this thread for the length of one call; the GUI thread may have it already.
class ComScope {
 public:
  ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT hr_;
};

// The root task folder of the local Task Scheduler, or false (ITaskService::Connect).
bool root_folder(Com<ITaskService>& service, Com<ITaskFolder>& folder) {
  if (FAILED(CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                              reinterpret_cast<void**>(service.out())))) {
    return false;
  }
  VARIANT none;
  VariantInit(&none);
  if (FAILED(service->Connect(none, none, none, none))) return false;
  return SUCCEEDED(service->GetFolder(Bstr(L"\\"), folder.out()));
}

bool is_missing(HRESULT hr) {
  return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ||
         hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

// DOMAIN\user of the caller (GetUserNameExW, secur32 from the system folder), or empty.
std::wstring current_user() {
  static const SystemFunction<decltype(&GetUserNameExW)> get_name{L"secur32.dll", "GetUserNameExW"};
  wchar_t name[256];
  ULONG size = 256;
  return get_name.call_or(FALSE, NameSamCompatible, name, &size) ? std::wstring(name, size) : L"";
}

}  // namespace

std::optional<bool> Win32LogonTasks::exists(const std::string& name) {
  ComScope com;
  Com<ITaskService> service;
  Com<ITaskFolder> folder;
  if (!root_folder(service, folder)) return std::nullopt;
  Com<IRegisteredTask> task;
  const HRESULT hr = folder->GetTask(Bstr(wide_from_gbk(name)), task.out());
  if (SUCCEEDED(hr)) return true;
  if (is_missing(hr)) return false;
  return std::nullopt;
}

bool Win32LogonTasks::create(const std::string& name, const std::string& program) {
  ComScope com;
  Com<ITaskService> service;
  Com<ITaskFolder> folder;
  if (!root_folder(service, folder)) return false;
  VARIANT none;
  VariantInit(&none);
  Com<IRegisteredTask> registered;
  // With the caller's interactive token: the task runs in the session of the user who set it up.
  const Bstr xml(platform::logon_task_xml(wide_from_gbk(program), current_user()));
  return SUCCEEDED(folder->RegisterTask(Bstr(wide_from_gbk(name)), xml, TASK_CREATE_OR_UPDATE, none,
                                        none, TASK_LOGON_INTERACTIVE_TOKEN, none,
                                        registered.out()));
}

bool Win32LogonTasks::remove(const std::string& name) {
  ComScope com;
  Com<ITaskService> service;
  Com<ITaskFolder> folder;
  if (!root_folder(service, folder)) return false;
  const HRESULT hr = folder->DeleteTask(Bstr(wide_from_gbk(name)), 0);
  return SUCCEEDED(hr) || is_missing(hr);
}

}  // namespace qvx::win32
