// The scrambled form of the settings files: the text under two random keys, the keys stored
// in clear beside it, so no secret is needed to read a file back.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/clock.h"

namespace qvx {

class password {
 public:
  // Draws fresh keys from the shared generator seeded with the current second.
  explicit password(platform::Clock& clock);

  int scramble(const std::string& plain);
  std::string unscramble() const;

  std::int32_t key1 = 0;
  std::int32_t key2 = 0;
  std::string scrambled_text;

  // Derived from the keys with non-negative remainders, so tampered keys stay in range.
  int block_length() const;  // 1..4 plain bytes per group
  int filler_count() const;  // 3..7 filler letters per group
  int shift() const;         // 0..7

 private:
  platform::Clock& clock_;
};

// The 78-symbol alphabet: 1..26 a-z, 27..52 A-Z, 53..68 punctuation, 69..78 0-9; 0 = none.
int symbol_index(char c);
char index_symbol(int index);  // 0 counts as 78

// File form: key1 LF key2 LF text (no final line break); LF is CR LF on disk.
std::string scrambled_file_bytes(const password& p);
// Reads the keys and the text token back; a file without two readable keys gives no text.
std::string unscramble_file_bytes(const std::string& disk_bytes, platform::Clock& clock);
// Scrambles plain text under fresh keys into the file form, ready for disk.
std::string scramble_to_file_bytes(const std::string& plain, platform::Clock& clock);

// True when the text survives scrambling and unscrambling unchanged.
bool scrambler_can_carry(const std::string& text);

}  // namespace qvx
