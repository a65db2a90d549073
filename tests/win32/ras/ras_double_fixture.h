// The client's dialer and Win32 RAS layer against the rasapi32 test double beside the test
// program (loaded in place of Wine's by a DLL override): each test starts with an empty phone
// book and no call log, seeds the double's state, and reads back its call log and state.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "connect/dial_class.h"
#include "platform/win32/win32_ras.h"

namespace qvx::ras_test {

// RASCONNW and RASDIALPARAMSW hold a handle and a ULONG_PTR: longer on x64.
constexpr unsigned kConnSize = sizeof(void*) == 8 ? 1372 : 1368;
constexpr unsigned kDialSize = sizeof(void*) == 8 ? 2108 : 2104;

inline std::string folder() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, n);
  return dir.substr(0, dir.find_last_of('\\') + 1);
}

inline std::vector<std::string> lines_of(const std::string& file) {
  std::ifstream in(folder() + file, std::ios::binary);
  std::vector<std::string> out;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) out.push_back(line);
  }
  return out;
}

inline void write_lines(const std::string& file, std::initializer_list<std::string> lines,
                        std::ios::openmode mode) {
  std::ofstream out(folder() + file, std::ios::binary | mode);
  for (const auto& line : lines) out << line << '\n';
}

// The brand prefix as the client writes it (GBK), and an entry of ours.
inline std::string brand(const std::string& rest = "") {
  return std::string(kBrandPrefix) + rest;
}

class RasDoubleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HMODULE ras_dll = GetModuleHandleA("rasapi32.dll");
    ASSERT_TRUE(ras_dll && GetProcAddress(ras_dll, "QvxRasDouble"))
        << "rasapi32.dll is not the test double (WINEDLLOVERRIDES=rasapi32=n)";
    reset();
  }
  // An empty phone book, no call log, no control lines.
  static void reset() {
    write_lines("ras_double_state.txt", {}, std::ios::trunc);
    DeleteFileA((folder() + "ras_double_log.txt").c_str());
    DeleteFileA((folder() + "ras_double_control.txt").c_str());
    _putenv("QVX_RAS_ENTRY_SIZE=");
  }

  static void seed(std::initializer_list<std::string> lines) {
    write_lines("ras_double_state.txt", lines, std::ios::app);
  }
  static void control(std::initializer_list<std::string> lines) {
    write_lines("ras_double_control.txt", lines, std::ios::trunc);
  }
  static std::vector<std::string> log() { return lines_of("ras_double_log.txt"); }
  static std::vector<std::string> state() { return lines_of("ras_double_state.txt"); }
  // The state lines that start with PREFIX ("entry ", "conn ").
  static std::vector<std::string> state_starting(const std::string& prefix) {
    std::vector<std::string> found;
    for (const auto& line : state()) {
      if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line);
    }
    return found;
  }
  static bool state_has(const std::string& line) {
    const auto all = state();
    return std::find(all.begin(), all.end(), line) != all.end();
  }

  static bool logged(const std::string& line) {
    const auto all = log();
    return std::find(all.begin(), all.end(), line) != all.end();
  }
  // The log lines that start with PREFIX.
  static std::vector<std::string> logged_starting(const std::string& prefix) {
    std::vector<std::string> found;
    for (const auto& line : log()) {
      if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line);
    }
    return found;
  }
  // Where LINE is in the log; the log's length when it is not there.
  static std::size_t position(const std::string& line) {
    const auto all = log();
    return static_cast<std::size_t>(std::find(all.begin(), all.end(), line) - all.begin());
  }
  static bool in_order(const std::string& first, const std::string& second) {
    const auto a = position(first), b = position(second), end = log().size();
    return a < end && b < end && a < b;
  }
  static bool no_size_errors() {
    for (const auto& line : log()) {
      for (const char* code : {" -> 87", " -> 610", " -> 632"}) {
        const std::string c = code;
        if (line.size() >= c.size() && line.compare(line.size() - c.size(), c.size(), c) == 0) {
          return false;
        }
      }
    }
    return true;
  }
  static bool state_holds_brand() {
    for (const auto& line : state()) {
      if (line.find(kBrandPrefix) != std::string::npos) return true;
    }
    return false;
  }
  static std::string log_text() {
    std::ostringstream out;
    for (const auto& line : log()) out << "  log: " << line << '\n';
    return out.str();
  }

  win32::Win32Ras ras;
  Dial_class dialer{ras};
};

}  // namespace qvx::ras_test
