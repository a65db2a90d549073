#include "tools/double_common/files.h"

#include <windows.h>

#include <fstream>

namespace double_common {

namespace {
std::string g_dir;
}

void set_module_dir(const std::string& dir) {
  g_dir = dir;
  if (!g_dir.empty() && g_dir.back() != '\\' && g_dir.back() != '/') g_dir += '\\';
}

std::string path(const std::string& name) {
  return g_dir + name;
}

std::vector<std::string> read_lines(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<std::string> out;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) out.push_back(line);
  }
  return out;
}

std::vector<std::string> take_lines(const std::string& file) {
  const std::string taken = file + "." + std::to_string(GetCurrentProcessId()) + ".taken";
  if (!MoveFileExA(file.c_str(), taken.c_str(), MOVEFILE_REPLACE_EXISTING)) return {};
  auto lines = read_lines(taken);
  DeleteFileA(taken.c_str());
  return lines;
}

void append_line(const std::string& file, const std::string& line) {
  std::ofstream(file, std::ios::binary | std::ios::app) << line << "\n";
}

void replace_file(const std::string& file, const std::string& text) {
  const std::string fresh = file + ".new";
  std::ofstream(fresh, std::ios::binary | std::ios::trunc) << text;
  MoveFileExA(fresh.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace double_common
