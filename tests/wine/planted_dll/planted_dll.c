// A DLL someone else saved beside the program under a system DLL's name. Loaded, it leaves
// NAME.loaded beside itself, naming the program that loaded it; it exports nothing.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t marker[MAX_PATH + 8];
  char program[MAX_PATH];
  const DWORD n = GetModuleFileNameW(instance, marker, MAX_PATH);
  const DWORD p = GetModuleFileNameA(NULL, program, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return TRUE;
  lstrcatW(marker, L".loaded");
  HANDLE file = CreateFileW(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return TRUE;
  DWORD written;
  WriteFile(file, program, p, &written, NULL);
  WriteFile(file, "\r\n", 2, &written, NULL);
  CloseHandle(file);
  return TRUE;
}
