// The Windows user's own values (HKEY_CURRENT_USER\Software\Quovix): they live in the user's
// profile, which the other users of the PC cannot read, and roam with it.
#pragma once
#include <optional>
#include <string>

namespace qvx::platform {

class UserStore {
 public:
  virtual ~UserStore() = default;
  // REG_BINARY values; empty when missing or unreadable.
  virtual std::optional<std::string> read(const std::string& name) = 0;
  virtual bool write(const std::string& name, const std::string& bytes) = 0;
};

// Data protection in user scope (DPAPI): only the same Windows user can unprotect a blob, and a
// changed blob does not unprotect.
class DataProtection {
 public:
  virtual ~DataProtection() = default;
  virtual std::optional<std::string> protect(const std::string& plain) = 0;
  virtual std::optional<std::string> unprotect(const std::string& blob) = 0;
};

}  // namespace qvx::platform
