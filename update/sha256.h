// SHA-256 (FIPS 180-4): the updater checks a downloaded setup with it and the demo service
// computes the manifest's digest with the same code.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace qvx::update {

class Sha256 {
 public:
  Sha256();
  void add(const void* data, std::size_t size);
  // The digest as 64 lowercase hex digits; the object is spent afterwards.
  std::string hex_digest();

 private:
  void block(const std::uint8_t* p);

  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> buffer_{};
  std::size_t buffered_ = 0;
  std::uint64_t length_ = 0;  // bytes added
};

std::string sha256_hex(const std::string& bytes);

}  // namespace qvx::update
