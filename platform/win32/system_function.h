// Functions of the system DLLs that are not KnownDLLs (rasapi32, iphlpapi, secur32, urlmon)
// are bound here at run time instead of being imported. Windows resolves an imported DLL that
// is not a KnownDLL from the program's folder first ("Dynamic-Link Library Search Order",
// learn.microsoft.com), so a DLL of that name saved beside the program (a Downloads folder)
// would run inside it, elevated; load_system_library takes the system folder's only.
#pragma once
#include <windows.h>

namespace qvx::win32 {

// The entry point from the system folder's DLL, or null where the DLL or the function is
// missing. The DLL stays loaded.
void* system_entry(const wchar_t* library, const char* name);

// A function of a system DLL, bound once, as its declared type:
//   SystemFunction<decltype(&RasDialA)> dial{L"rasapi32.dll", "RasDialA"};
template <typename Fn>
class SystemFunction {
 public:
  SystemFunction(const wchar_t* library, const char* name)
      : fn_(reinterpret_cast<Fn>(system_entry(library, name))) {}
  explicit operator bool() const { return fn_ != nullptr; }
  // Calls it; `missing` comes back where the system lacks it.
  template <typename R, typename... Args>
  R call_or(R missing, Args... args) const {
    return fn_ ? static_cast<R>(fn_(args...)) : missing;
  }

 private:
  Fn fn_;
};

}  // namespace qvx::win32
