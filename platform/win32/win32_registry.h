// Keys under HKEY_LOCAL_MACHINE, opened for reading and writing and never created.
#pragma once
#include "platform/registry.h"

namespace qvx::win32 {

class Win32Registry : public platform::Registry {
 public:
  using platform::Registry::open_local_machine;
  std::unique_ptr<platform::RegistryKey> open_local_machine(const std::string& path,
                                                            platform::RegistryView view) override;
};

}  // namespace qvx::win32
