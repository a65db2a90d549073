#include <windows.h>

#include <string>

#include "iphlp_state.h"

// The state, control and log files lie beside the DLL, where the RAS double keeps its own.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(instance, path, MAX_PATH);
    std::string dir(path);
    dir.erase(dir.find_last_of("\\/") + 1);
    iphlp_double::set_module_dir(dir);
  }
  return TRUE;
}
