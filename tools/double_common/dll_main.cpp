#include <windows.h>

#include <string>

#include "tools/double_common/files.h"

// The double's files lie beside the DLL, where the test put it.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(instance, path, MAX_PATH);
    std::string dir(path);
    dir.erase(dir.find_last_of("\\/") + 1);
    double_common::set_module_dir(dir);
  }
  return TRUE;
}
