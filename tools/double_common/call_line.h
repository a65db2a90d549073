// One line of a double's call log: the function, its arguments as key=value words and, after
// " -> ", the result.
#pragma once
#include <cstdint>
#include <string>

namespace double_common {

class CallLine {
 public:
  explicit CallLine(const std::string& function) : line_(function) {}

  void arg(const char* key, std::uint32_t value);
  void hex(const char* key, std::uint32_t value);        // 0x%08X
  void text(const char* key, const std::string& value);  // escaped
  void text(const char* key, const char* value);         // null logs as "null"
  void pointer(const char* key, const void* p);          // "null" or "set"
  void write(const std::string& log_file, std::uint32_t result) const;

 private:
  std::string line_;
};

}  // namespace double_common
