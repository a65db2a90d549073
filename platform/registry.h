// Registry keys under HKEY_LOCAL_MACHINE, opened for reading and writing, never created.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace qvx::platform {

class RegistryKey {
 public:
  virtual ~RegistryKey() = default;  // closes the key
  virtual bool value_exists(const std::string& name) = 0;
  virtual bool set_dword(const std::string& name, std::uint32_t value) = 0;
  virtual bool set_string(const std::string& name, const std::string& value) = 0;  // REG_SZ
  virtual bool delete_value(const std::string& name) = 0;
};

// 64-bit Windows keeps two views of much of HKEY_LOCAL_MACHINE\Software: the program's own,
// and the other one (the 32-bit view from a 64-bit program, the 64-bit view from a 32-bit one).
// On 32-bit Windows both are the same keys.
enum class RegistryView { Own, Other };

class Registry {
 public:
  virtual ~Registry() = default;
  // Null when the key does not exist or cannot be opened for writing.
  virtual std::unique_ptr<RegistryKey> open_local_machine(const std::string& path,
                                                          RegistryView view) = 0;
  std::unique_ptr<RegistryKey> open_local_machine(const std::string& path) {
    return open_local_machine(path, RegistryView::Own);
  }
};

}  // namespace qvx::platform
