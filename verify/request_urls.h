// Pieces of the verification requests.
#pragma once
#include <string>

#include "platform/clock.h"

namespace qvx {

// Every byte except ASCII letters, digits and "_" as %XX, so that no credential can change
// the shape of the query.
std::string percent_encode(const std::string& bytes);

// Five letters "a".."y" from the C runtime generator seeded with the current second, so URLs
// made within one second share their token.
std::string request_token(platform::Clock& clock);

}  // namespace qvx
