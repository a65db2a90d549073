// The scrambler under any keys, also keys a tampered file holds: scrambling then unscrambling
// gives back any text the scrambled form can carry, also through the file form; unscrambling
// any text is safe.
#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz/fuzz_support.h"
#include "shell/password.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qvx;
  fuzz::Machine& os = fuzz::machine();
  FuzzedDataProvider in(data, size);
  password p(os.clock());
  p.key1 = in.ConsumeIntegral<std::int32_t>();
  p.key2 = in.ConsumeIntegral<std::int32_t>();
  const std::string text = in.ConsumeRemainingBytesAsString();

  fuzz::check(p.block_length() >= 1 && p.block_length() <= 4 && p.filler_count() >= 3 &&
                  p.filler_count() <= 7 && p.shift() >= 0 && p.shift() <= 7,
              "derived values in range");
  p.scrambled_text = text;
  p.unscramble();

  p.scramble(text);
  const std::size_t n = static_cast<std::size_t>(p.block_length());
  const std::size_t groups = (text.size() + n - 1) / n;
  fuzz::check(p.scrambled_text.size() == text.size() + groups * p.filler_count(),
              "filler before every block");
  if (!scrambler_can_carry(text)) return 0;
  fuzz::check(p.unscramble() == text, "unscramble gives the text back");
  fuzz::check(unscramble_file_bytes(scrambled_file_bytes(p), os.clock()) == text,
              "the file form gives the text back");
  return 0;
}
