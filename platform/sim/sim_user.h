// The simulated machine's per-user parts: each user's registry hive (HKEY_CURRENT_USER) and
// DPAPI, seen from one logon session.
#pragma once
#include <map>
#include <string>

#include "platform/sim/model/data_protection.h"
#include "platform/sim/model/object_namespace.h"
#include "platform/user_store.h"

namespace qvx::sim {

// Every user's HKCU\Software\Quovix values, by the user's SID.
using SimUserHives = std::map<std::string, std::map<std::string, std::string>>;

class SimUserStore : public platform::UserStore {
 public:
  SimUserStore(SimUserHives& hives, const model::LogonSession& session)
      : hives_(hives), session_(session) {}
  std::optional<std::string> read(const std::string& name) override;
  bool write(const std::string& name, const std::string& bytes) override;

 private:
  SimUserHives& hives_;
  const model::LogonSession& session_;
};

class SimDataProtection : public platform::DataProtection {
 public:
  SimDataProtection(model::DataProtection& model, const model::LogonSession& session)
      : model_(model), session_(session) {}
  std::optional<std::string> protect(const std::string& plain) override {
    return model_.protect(session_.user, plain);
  }
  std::optional<std::string> unprotect(const std::string& blob) override {
    return model_.unprotect(session_.user, blob);
  }

 private:
  model::DataProtection& model_;
  const model::LogonSession& session_;
};

}  // namespace qvx::sim
