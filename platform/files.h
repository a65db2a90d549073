// Files, addressed by GBK Windows paths (drive, backslashes). Contents are raw bytes: callers
// apply text-mode line ends themselves (see text_mode.h), so both targets write the same bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace qvx::platform {

class OutputFile {
 public:
  virtual ~OutputFile() = default;  // closes
  virtual void write(const std::string& bytes) = 0;
  virtual void flush() = 0;
};

class Files {
 public:
  virtual ~Files() = default;
  virtual std::string program_path() = 0;  // full path of the program file
  virtual std::optional<std::string> read(const std::string& path) = 0;
  // The first max_bytes bytes (fewer when the file is shorter), whatever the file's size.
  virtual std::optional<std::string> read_at_most(const std::string& path,
                                                  std::size_t max_bytes) = 0;
  // Size in bytes, or -1 when the file cannot be opened.
  virtual std::int64_t size(const std::string& path) = 0;
  // Null when the file cannot be opened; append creates a missing file.
  virtual std::unique_ptr<OutputFile> open_output(const std::string& path, bool append) = 0;
  // Writes a complete temporary file beside path, then replaces path with it in one step,
  // so path always holds either the old or the new content. False leaves path untouched.
  virtual bool replace(const std::string& path, const std::string& bytes) = 0;
  virtual bool remove(const std::string& path) = 0;
};

}  // namespace qvx::platform
