#include "platform/sim/model/data_protection.h"

namespace qvx::model {
namespace {

constexpr char kMagic[] = "DPB1";           // the blob's version
constexpr std::size_t kHeader = 4 + 8 + 8;  // magic, key identifier, nonce
constexpr std::size_t kMac = 8;

std::uint64_t mix(std::uint64_t h, std::uint64_t v) {
  h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
  h ^= h >> 31;
  h *= 0xbf58476d1ce4e5b9ULL;
  return h ^ (h >> 29);
}

void put64(std::string& out, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) out += static_cast<char>((v >> (8 * i)) & 0xff);
}

std::uint64_t get64(const std::string& in, std::size_t at) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(in[at + i]);
  return v;
}

std::string keystream_xor(std::uint64_t key, std::uint64_t nonce, const std::string& text) {
  std::string out = text;
  for (std::size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<char>(out[i] ^ (mix(mix(key, nonce), i) & 0xff));
  }
  return out;
}

std::uint64_t mac_of(std::uint64_t key, const std::string& bytes) {
  std::uint64_t h = mix(key, bytes.size());
  for (unsigned char c : bytes) h = mix(h, c);
  return h;
}

}  // namespace

std::uint64_t DataProtection::master_key(const std::string& user) {
  auto found = keys_.find(user);
  if (found != keys_.end()) return found->second;
  std::uint64_t key = mix(seed_, keys_.size() + 1);
  for (unsigned char c : user) key = mix(key, c);
  return keys_[user] = key;
}

std::string DataProtection::protect(const std::string& user, const std::string& plain) {
  const std::uint64_t key = master_key(user);
  const std::uint64_t nonce = mix(seed_, nonce_++);
  std::string blob = kMagic;
  put64(blob, mix(key, 0));  // identifies the master key, reveals nothing of it
  put64(blob, nonce);
  blob += keystream_xor(key, nonce, plain);
  put64(blob, mac_of(key, blob));
  return blob;
}

std::optional<std::string> DataProtection::unprotect(const std::string& user,
                                                     const std::string& blob) {
  if (blob.size() < kHeader + kMac || blob.compare(0, 4, kMagic) != 0) return std::nullopt;
  const std::uint64_t key = master_key(user);
  if (get64(blob, 4) != mix(key, 0)) return std::nullopt;  // another user's master key
  const std::string signed_part = blob.substr(0, blob.size() - kMac);
  if (get64(blob, blob.size() - kMac) != mac_of(key, signed_part)) return std::nullopt;
  return keystream_xor(key, get64(blob, 12), signed_part.substr(kHeader));
}

}  // namespace qvx::model
