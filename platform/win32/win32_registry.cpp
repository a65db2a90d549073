#include "platform/win32/win32_registry.h"

#include <windows.h>

#include "platform/win32/win32_text.h"

namespace qvx::win32 {

namespace {

class Win32RegistryKey : public platform::RegistryKey {
 public:
  explicit Win32RegistryKey(HKEY key) : key_(key) {}
  ~Win32RegistryKey() override { RegCloseKey(key_); }
  Win32RegistryKey(const Win32RegistryKey&) = delete;
  Win32RegistryKey& operator=(const Win32RegistryKey&) = delete;

  bool value_exists(const std::string& name) override {
    return RegQueryValueExW(key_, wide_from_gbk(name).c_str(), nullptr, nullptr, nullptr,
                            nullptr) == ERROR_SUCCESS;
  }

  bool set_dword(const std::string& name, std::uint32_t value) override {
    const DWORD data = value;
    return RegSetValueExW(key_, wide_from_gbk(name).c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&data), sizeof data) == ERROR_SUCCESS;
  }

  bool set_string(const std::string& name, const std::string& value) override {
    const std::wstring data = wide_from_gbk(value);
    const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));  // with the NUL
    return RegSetValueExW(key_, wide_from_gbk(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()), bytes) == ERROR_SUCCESS;
  }

  bool delete_value(const std::string& name) override {
    return RegDeleteValueW(key_, wide_from_gbk(name).c_str()) == ERROR_SUCCESS;
  }

 private:
  HKEY key_;
};

}  // namespace

// The other view is asked for with KEY_WOW64_32KEY or KEY_WOW64_64KEY, which 32-bit Windows
// ignores (Accessing an Alternate Registry View, learn.microsoft.com).
std::unique_ptr<platform::RegistryKey> Win32Registry::open_local_machine(
    const std::string& path, platform::RegistryView view) {
  constexpr REGSAM kOtherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
  const REGSAM access =
      KEY_READ | KEY_WRITE | (view == platform::RegistryView::Other ? kOtherView : 0);
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, wide_from_gbk(path).c_str(), 0, access, &key) !=
      ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<Win32RegistryKey>(key);
}

}  // namespace qvx::win32
