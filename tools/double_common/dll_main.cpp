#include <windows.h>

#include <string>

#include "tools/double_common/files.h"

// The double's files lie beside the program that loaded it: the double itself lies in the
// system folder, where the client takes rasapi32 and iphlpapi from.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    dir.erase(dir.find_last_of("\\/") + 1);
    double_common::set_module_dir(dir);
  }
  return TRUE;
}
