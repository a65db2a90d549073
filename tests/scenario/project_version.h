// What the program must show and compare, worked out from project(VERSION) alone, so that the
// checks catch a title or number that stops following the project version.
#pragma once
#include <algorithm>
#include <string>

namespace qvx::testing {

inline std::string project_title() {
  return std::string("Quovix加速") + QVX_PROJECT_VERSION;
}

// MAJOR.MM[.P] read as its digits, the patch 0 when absent: 2.43 is 2430.
inline std::string project_service_number() {
  std::string version = QVX_PROJECT_VERSION;
  const bool has_patch = std::count(version.begin(), version.end(), '.') == 2;
  version.erase(std::remove(version.begin(), version.end(), '.'), version.end());
  return has_patch ? version : version + "0";
}

}  // namespace qvx::testing
