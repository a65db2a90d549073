// Win32Files in the folder the test program runs from (the Wine test puts it under a Chinese
// name, and once under a name GBK cannot hold).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/win32/win32_files.h"
#include "platform/win32/win32_text.h"

namespace qvx::win32 {
namespace {

std::wstring module_path() {
  wchar_t path[4096];
  const DWORD n = GetModuleFileNameW(nullptr, path, 4096);
  return std::wstring(path, n);
}

// Names in the directory, found through the wide API only.
std::vector<std::wstring> names_in(const std::wstring& dir) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((dir + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return names;
}

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string program = files.program_path();
    ASSERT_FALSE(program.empty());
    // A fresh scratch folder beside the program, with a Chinese name of its own.
    dir = program.substr(0, program.rfind('\\') + 1) + "临时目录\\";
    wide_dir = wide_from_gbk(dir);
    clear();
    ASSERT_TRUE(CreateDirectoryW(wide_dir.c_str(), nullptr));
  }
  void TearDown() override { clear(); }

  void clear() {
    for (const std::wstring& name : names_in(wide_dir)) {
      SetFileAttributesW((wide_dir + name).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW((wide_dir + name).c_str());
    }
    RemoveDirectoryW(wide_dir.c_str());
  }

  Win32Files files;
  std::string dir;
  std::wstring wide_dir;
};

TEST(ProgramPath, NamesTheRunningProgramInGbk) {
  Win32Files files;
  const std::string path = files.program_path();
  const std::wstring wide = module_path();
  if (exact_gbk_from_wide(wide)) {
    EXPECT_EQ(path, gbk_from_wide(wide));
  } else {
    EXPECT_EQ(path.find('?'), std::string::npos) << path;
  }
  // Whatever its form, the path opens the program itself.
  const auto bytes = files.read(path);
  ASSERT_TRUE(bytes.has_value()) << path;
  EXPECT_EQ(bytes->substr(0, 2), "MZ");
  EXPECT_EQ(files.size(path), static_cast<std::int64_t>(bytes->size()));
}

TEST_F(FilesTest, ChineseNamesReachTheFileSystemAsUnicode) {
  auto out = files.open_output(dir + "运行日志.log", false);
  ASSERT_TRUE(out);
  out->write("连接\r\n");
  out.reset();
  const std::vector<std::wstring> names = names_in(wide_dir);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0], L"运行日志.log");
  EXPECT_EQ(files.read(dir + "运行日志.log"), std::optional<std::string>("连接\r\n"));
}

TEST_F(FilesTest, MissingFilesAndFoldersReadAsAbsent) {
  EXPECT_EQ(files.read(dir + "none.txt"), std::nullopt);
  EXPECT_EQ(files.size(dir + "none.txt"), -1);
  EXPECT_EQ(files.size(dir), -1) << "a folder is not a file";
  EXPECT_FALSE(files.remove(dir + "none.txt"));
  EXPECT_EQ(files.open_output(dir + "no\\such\\folder.txt", true), nullptr);
}

TEST_F(FilesTest, AppendCreatesThenAddsAndTruncateStartsOver) {
  const std::string path = dir + "a.log";
  {
    auto out = files.open_output(path, true);
    ASSERT_TRUE(out);
    out->write("ab");
    out->flush();
    // Visible to a reader while still open, as the log must be.
    EXPECT_EQ(files.read(path), std::optional<std::string>("ab"));
  }
  files.open_output(path, true)->write("cd");
  EXPECT_EQ(files.read(path), std::optional<std::string>("abcd"));
  EXPECT_EQ(files.size(path), 4);
  files.open_output(path, false)->write("x");
  EXPECT_EQ(files.read(path), std::optional<std::string>("x"));
  EXPECT_TRUE(files.remove(path));
  EXPECT_EQ(files.size(path), -1);
}

TEST_F(FilesTest, LargeContentSurvivesReadAndWrite) {
  std::string big(3 * 1024 * 1024 + 17, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 31 + 7);
  ASSERT_TRUE(files.replace(dir + "big.bin", big));
  EXPECT_EQ(files.read(dir + "big.bin"), std::optional<std::string>(big));
}

TEST_F(FilesTest, ReplaceSwapsTheWholeFileAndLeavesNothingBeside) {
  const std::string path = dir + "用户.ini";
  ASSERT_TRUE(files.replace(path, "first"));
  EXPECT_EQ(files.read(path), std::optional<std::string>("first"));
  ASSERT_TRUE(files.replace(path, "second, longer"));
  EXPECT_EQ(files.read(path), std::optional<std::string>("second, longer"));
  ASSERT_TRUE(files.replace(path, ""));
  EXPECT_EQ(files.read(path), std::optional<std::string>(""));
  EXPECT_EQ(names_in(wide_dir), std::vector<std::wstring>{L"用户.ini"});
}

// Another program may hold the settings open while the client saves them, and Windows does
// not move a file over one that is open, whatever sharing its reader allows. A reader that
// looks only briefly (a virus scanner, an indexer) is waited out; one that holds on makes the
// save fail with the old file whole and nothing left beside it.
// https://learn.microsoft.com/en-us/windows/win32/fileio/moving-and-replacing-files
TEST_F(FilesTest, ReplaceWaitsOutABriefReaderAndFailsCleanlyOnALongOne) {
  const std::string path = dir + "用户.ini";
  const std::wstring wide_path = wide_dir + L"用户.ini";
  const auto open_reader = [&] {
    return CreateFileW(wide_path.c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  ASSERT_TRUE(files.replace(path, "first"));

  HANDLE holding = open_reader();
  ASSERT_NE(holding, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(files.replace(path, "second"));
  CloseHandle(holding);
  EXPECT_EQ(files.read(path), std::optional<std::string>("first"));
  EXPECT_EQ(names_in(wide_dir), std::vector<std::wstring>{L"用户.ini"});

  HANDLE brief = open_reader();
  ASSERT_NE(brief, INVALID_HANDLE_VALUE);
  std::thread reader([brief] {
    Sleep(150);
    CloseHandle(brief);
  });
  EXPECT_TRUE(files.replace(path, "third"));
  reader.join();
  EXPECT_EQ(files.read(path), std::optional<std::string>("third"));
  EXPECT_EQ(names_in(wide_dir), std::vector<std::wstring>{L"用户.ini"});
}

TEST_F(FilesTest, FailedReplaceLeavesNoTemporaryFileBehind) {
  // A folder where the file should be: the final move fails (also under Wine, which would
  // replace a read-only file).
  ASSERT_TRUE(CreateDirectoryW((wide_dir + L"user.ini").c_str(), nullptr));
  EXPECT_FALSE(files.replace(dir + "user.ini", "new"));
  EXPECT_EQ(names_in(wide_dir), std::vector<std::wstring>{L"user.ini"});
  RemoveDirectoryW((wide_dir + L"user.ini").c_str());

  EXPECT_FALSE(files.replace(dir + "missing\\user.ini", "new"));
  EXPECT_TRUE(names_in(wide_dir).empty());
}

}  // namespace
}  // namespace qvx::win32
