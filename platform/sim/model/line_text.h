// The text rules of machine profiles and the doubles' state, control and log lines: words
// split on blanks, key=value words whose values are escaped, numbers in C notation.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace qvx::model {

std::uint32_t number(const std::string& text);  // decimal, 0x hex; junk reads as 0
std::vector<std::string> words(const std::string& line);
std::vector<std::string> split(const std::string& text, char by);  // empty parts left out
// Words from index `from` on: key=value with the value unescaped; a bare word is a key whose
// value is empty.
std::map<std::string, std::string> key_values(const std::vector<std::string>& words,
                                              std::size_t from);
// Spaces, controls, '=' and '%' become %XX; GBK bytes stay as they are.
std::string escape(const std::string& text);
std::string unescape(const std::string& text);

}  // namespace qvx::model
