#include "platform/win32/win32_files.h"

#include <windows.h>

#include <vector>

#include "platform/win32/win32_text.h"

namespace qvx::win32 {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (ok()) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

HANDLE open_for_reading(const std::string& path) {
  return CreateFileW(wide_from_gbk(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool write_all(HANDLE file, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

// Each write goes straight to the system, so there is no buffer of our own to flush.
class Win32OutputFile : public platform::OutputFile {
 public:
  explicit Win32OutputFile(HANDLE h) : file_(h) {}
  void write(const std::string& bytes) override { write_all(file_.get(), bytes); }
  void flush() override {}

 private:
  Handle file_;
};

std::wstring directory_of(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash + 1);
}

}  // namespace

std::string Win32Files::program_path() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    buffer.resize(buffer.size() * 2);
  }
  const std::wstring path(buffer.begin(), buffer.end());
  if (auto gbk = exact_gbk_from_wide(path)) return *gbk;
  // A folder name outside GBK would come back as '?' and name nothing; the 8.3 form is ASCII
  // where the volume keeps short names.
  const DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (n == 0) return gbk_from_wide(path);
  std::wstring short_path(n, L'\0');
  const DWORD got = GetShortPathNameW(path.c_str(), short_path.data(), n);
  short_path.resize(got < n ? got : 0);
  if (auto gbk = exact_gbk_from_wide(short_path)) return *gbk;
  return gbk_from_wide(path);
}

std::optional<std::string> Win32Files::read(const std::string& path) {
  Handle file(open_for_reading(path));
  if (!file.ok()) return std::nullopt;
  std::string out;
  char chunk[64 * 1024];
  DWORD got = 0;
  while (ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0)
    out.append(chunk, got);
  return out;
}

std::optional<std::string> Win32Files::read_at_most(const std::string& path,
                                                    std::size_t max_bytes) {
  Handle file(open_for_reading(path));
  if (!file.ok()) return std::nullopt;
  std::string out;
  char chunk[64 * 1024];
  DWORD got = 0;
  while (out.size() < max_bytes) {
    const DWORD want =
        static_cast<DWORD>(std::min<std::size_t>(sizeof chunk, max_bytes - out.size()));
    if (!ReadFile(file.get(), chunk, want, &got, nullptr) || got == 0) break;
    out.append(chunk, got);
  }
  return out;
}

std::int64_t Win32Files::size(const std::string& path) {
  Handle file(open_for_reading(path));
  LARGE_INTEGER size;
  if (!file.ok() || !GetFileSizeEx(file.get(), &size)) return -1;
  return size.QuadPart;
}

std::unique_ptr<platform::OutputFile> Win32Files::open_output(const std::string& path,
                                                              bool append) {
  // FILE_APPEND_DATA without FILE_WRITE_DATA puts every write at the current end.
  const DWORD access = append ? FILE_APPEND_DATA | SYNCHRONIZE : GENERIC_WRITE;
  HANDLE h =
      CreateFileW(wide_from_gbk(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                  append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32OutputFile>(h);
}

namespace {

// MoveFileEx does not move a file over one that another program holds open, whatever sharing
// that program allows. A reader that looks only briefly (a virus scanner, an indexer) is
// waited out for a moment; a longer hold costs this save and leaves the old file whole.
// https://learn.microsoft.com/en-us/windows/win32/api/winbase/nf-winbase-movefileexw
// https://learn.microsoft.com/en-us/windows/win32/fileio/moving-and-replacing-files
bool move_over(const wchar_t* temporary, const std::wstring& target) {
  constexpr int kAttempts = 10;
  constexpr DWORD kPauseMs = 50;
  for (int attempt = 1;; ++attempt) {
    if (MoveFileExW(temporary, target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    const DWORD error = GetLastError();
    const bool held = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
    if (!held || attempt == kAttempts) return false;
    Sleep(kPauseMs);
  }
}

}  // namespace

bool Win32Files::replace(const std::string& path, const std::string& bytes) {
  const std::wstring target = wide_from_gbk(path);
  wchar_t temporary[MAX_PATH];
  // Same directory, so the move below is a rename on one volume.
  if (!GetTempFileNameW(directory_of(target).c_str(), L"qvx", 0, temporary)) return false;
  bool written;
  {
    Handle file(CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    written = file.ok() && write_all(file.get(), bytes) && FlushFileBuffers(file.get());
  }
  if (written && move_over(temporary, target)) return true;
  DeleteFileW(temporary);
  return false;
}

bool Win32Files::remove(const std::string& path) {
  return DeleteFileW(wide_from_gbk(path).c_str()) != 0;
}

}  // namespace qvx::win32
