#include "platform/win32/dll_search.h"

#include <windows.h>

#include "platform/win32/system_function.h"

namespace qvx::win32 {

void restrict_dll_search() {
  // "SetDefaultDllDirectories function", learn.microsoft.com: Windows 8, and Windows 7 with
  // KB2533623; bound at run time so that the program still starts without it.
  const SystemFunction<BOOL(WINAPI*)(DWORD)> set_default{L"kernel32.dll",
                                                         "SetDefaultDllDirectories"};
  if (set_default.call_or(FALSE, DWORD{LOAD_LIBRARY_SEARCH_SYSTEM32})) return;
  // Without it ("SetDllDirectory function"), the current directory at least leaves the search;
  // load_system_library then loads by full path.
  SetDllDirectoryW(L"");
}

}  // namespace qvx::win32
