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

class Registry {
 public:
  virtual ~Registry() = default;
  // Null when the key does not exist or cannot be opened for writing.
  virtual std::unique_ptr<RegistryKey> open_local_machine(const std::string& path) = 0;
};

}  // namespace qvx::platform
