// Stands in for a client the setup cannot move: "mutex" holds the client's single-instance mutex
// with a window that never answers the setup's request, as a hung client would; "global" holds
// only the global one, as a client of another session is seen from this one; "lock PATH"
// holds PATH open without sharing, as a program another session runs would. Writes
// stuck_ready.txt beside itself once it holds what it holds, then waits until it is ended.
#include <windows.h>

#include <cstring>
#include <string>

namespace {

bool mark_ready() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  while (n > 0 && path[n - 1] != L'\\') --n;
  path[n] = 0;
  const std::wstring ready = std::wstring(path) + L"stuck_ready.txt";
  HANDLE file = CreateFileW(ready.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "mutex") == 0) {
    // The client's single-instance mutex, "Quovix加速".
    if (!CreateMutexW(nullptr, TRUE, L"Quovix\u52a0\u901f")) return 2;
  } else if (argc >= 2 && std::strcmp(argv[1], "global") == 0) {
    // Only the global one, as a client of another session is seen from this one.
    if (!CreateMutexW(nullptr, TRUE, L"Global\\Quovix\u52a0\u901f")) return 2;
  } else if (argc >= 3 && std::strcmp(argv[1], "lock") == 0) {
    if (CreateFileA(argv[2], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr) ==
        INVALID_HANDLE_VALUE) {
      return 3;
    }
  } else {
    return 1;
  }
  if (!mark_ready()) return 4;
  for (;;) Sleep(INFINITE);
}
