// The build's version, defined once in the generated quovix_version.cpp (cmake/version.cmake), so
// that a version change relinks the programs instead of recompiling them.
#pragma once

namespace qvx {
// As shown to the user: the login window's title, the readme, the setup.
extern const char kDisplayVersion[];
// Compared with the service's oldest accepted and newest versions, as text.
extern const char kServiceVersion[];
}  // namespace qvx
