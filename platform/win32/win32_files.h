// Files over wide Win32 paths, so a program folder of any name works.
#pragma once
#include "platform/files.h"

namespace qvx::win32 {

class Win32Files : public platform::Files {
 public:
  // The module path in GBK; when it has characters GBK cannot hold, its short form.
  std::string program_path() override;
  std::optional<std::string> read(const std::string& path) override;
  std::optional<std::string> read_at_most(const std::string& path, std::size_t max_bytes) override;
  std::int64_t size(const std::string& path) override;
  std::unique_ptr<platform::OutputFile> open_output(const std::string& path, bool append) override;
  bool replace(const std::string& path, const std::string& bytes) override;
  bool remove(const std::string& path) override;
};

}  // namespace qvx::win32
