// System DLLs loaded at run time come from the system folder only, never from the program's
// folder or the current directory, where anyone could have put a DLL of the same name.
#pragma once
#include <windows.h>

namespace qvx::win32 {

// LoadLibraryEx of a system DLL by its file name ("ICMP.DLL"); null when it cannot be loaded.
HMODULE load_system_library(const wchar_t* file_name);

}  // namespace qvx::win32
