// MD5 digests for the RAS password and the web links, and the mask the service's web site
// applies to the digest it receives.
#pragma once
#include <string>

namespace qvx {

// MD5 of the bytes of text as 32 upper-case hexadecimal digits, in digest order.
std::string md5_hex(const std::string& text);

// Replaces each digit "0".."F" of digest by its image in table (the images of
// "0123456789ABCDEF", in order). A table that is not a one-to-one map of those sixteen digits
// leaves the digest as it is; characters outside them are kept.
std::string mask_digest(const std::string& digest, const std::string& table);

bool valid_mask_table(const std::string& table);

}  // namespace qvx
