// Keys under HKEY_LOCAL_MACHINE, opened for reading and writing and never created.
#pragma once
#include "platform/registry.h"

namespace qvx::win32 {

class Win32Registry : public platform::Registry {
 public:
  std::unique_ptr<platform::RegistryKey> open_local_machine(const std::string& path) override;
};

}  // namespace qvx::win32
