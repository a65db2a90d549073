#include "tools/double_common/call_line.h"

#include <cstdio>

#include "platform/sim/model/line_text.h"
#include "tools/double_common/files.h"

namespace double_common {

using qvx::model::escape;

void CallLine::arg(const char* key, std::uint32_t value) {
  line_ += std::string(" ") + key + "=" + std::to_string(value);
}

void CallLine::hex(const char* key, std::uint32_t value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(value));
  line_ += std::string(" ") + key + "=" + buf;
}

void CallLine::text(const char* key, const std::string& value) {
  line_ += std::string(" ") + key + "=" + escape(value);
}

void CallLine::text(const char* key, const char* value) {
  line_ += std::string(" ") + key + "=" + (value ? escape(value) : "null");
}

void CallLine::pointer(const char* key, const void* p) {
  line_ += std::string(" ") + key + "=" + (p ? "set" : "null");
}

void CallLine::write(const std::string& log_file, std::uint32_t result) const {
  append_line(log_file, line_ + " -> " + std::to_string(result));
}

}  // namespace double_common
