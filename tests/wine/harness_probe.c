// A small program that exercises the Wine test helpers: it writes a GBK file beside itself,
// shows a message box with a Chinese title and exits with the number given on its command line.
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
  (void)instance;
  (void)previous;
  (void)show;
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(NULL, path, MAX_PATH);
  while (n > 0 && path[n - 1] != L'\\') --n;
  path[n] = 0;
  wcscat(path, L"probe.txt");

  FILE* out = _wfopen(path, L"wb");
  if (!out) return 99;
  fputs("探针已启动\r\n", out);  // narrow literals are GBK
  // Converted explicitly: the prefix's ANSI code page follows the host locale, not GBK.
  wchar_t wide_cwd[MAX_PATH];
  char cwd[MAX_PATH * 2];
  GetCurrentDirectoryW(MAX_PATH, wide_cwd);
  WideCharToMultiByte(936, 0, wide_cwd, -1, cwd, sizeof cwd, NULL, NULL);
  fprintf(out, "%s\r\n", cwd);
  fclose(out);

  if (strstr(command_line, "quiet") == NULL)
    MessageBoxW(NULL, L"中文字形测试：连接状态", L"探针窗口", MB_OK);
  return atoi(command_line);
}
