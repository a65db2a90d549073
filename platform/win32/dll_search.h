// The DLL search of the whole process, narrowed before anything else runs.
#pragma once

namespace qvx::win32 {

// Every later load by bare name, ours and those the system DLLs make, searches the system
// folder only: never the program's folder or the current directory, where anyone could have
// put a DLL of that name. Call it first thing in WinMain.
void restrict_dll_search();

}  // namespace qvx::win32
