// The user's own values under HKEY_CURRENT_USER and DPAPI in user scope.
#pragma once
#include "platform/user_store.h"

namespace qvx::win32 {

class Win32UserStore : public platform::UserStore {
 public:
  std::optional<std::string> read(const std::string& name) override;
  bool write(const std::string& name, const std::string& bytes) override;
};

// crypt32.dll is no KnownDLL: it is loaded from the system folder when first needed, never
// imported, so a planted copy beside the program is not picked up.
class Win32DataProtection : public platform::DataProtection {
 public:
  std::optional<std::string> protect(const std::string& plain) override;
  std::optional<std::string> unprotect(const std::string& blob) override;
};

}  // namespace qvx::win32
