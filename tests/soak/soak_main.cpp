// The soak program: GoogleTest's own options, and --figures=FILE to write the figures the
// groups that ran measured, one "key=value" line each (scripts/soak_table.sh reads them).
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "soak_ledger.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  const char* figures_file = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--figures=", 10) == 0) figures_file = argv[i] + 10;
  }
  const int result = RUN_ALL_TESTS();
  if (figures_file) {
    std::ofstream out(figures_file);
    for (const auto& [key, value] : qvx::soak::figures()) out << key << '=' << value << '\n';
  }
  return result;
}
