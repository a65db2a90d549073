// CryptProtectData and CryptUnprotectData in user scope
// (learn.microsoft.com/windows/win32/api/dpapi/nf-dpapi-cryptprotectdata,
// .../nf-dpapi-cryptunprotectdata): "only a user with the same logon credential as the user who
// encrypted the data can decrypt the data", and the blob carries an integrity check, so a
// changed blob does not decrypt. The user's master key is drawn per user on first use; the
// cipher here is the model's own, not Windows's.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace qvx::model {

class DataProtection {
 public:
  explicit DataProtection(std::uint64_t machine_seed = 0x5eed) : seed_(machine_seed) {}

  std::string protect(const std::string& user, const std::string& plain);
  // Empty when the blob is another user's, malformed or changed.
  std::optional<std::string> unprotect(const std::string& user, const std::string& blob);

 private:
  std::uint64_t master_key(const std::string& user);

  std::uint64_t seed_;
  std::uint64_t nonce_ = 1;
  std::map<std::string, std::uint64_t> keys_;
};

}  // namespace qvx::model
