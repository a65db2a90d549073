// Win32Registry on a scratch key under HKEY_LOCAL_MACHINE of the test prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/win32_registry.h"

namespace qvx::win32 {
namespace {

const wchar_t kKey[] = L"Software\\QuovixPlatformTest";

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kKey);
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  void TearDown() override { RegDeleteKeyW(HKEY_LOCAL_MACHINE, kKey); }

  // Type and raw bytes of a value, read with the system's own calls.
  static bool query(const wchar_t* name, DWORD& type, std::string& data) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    BYTE buffer[512];
    DWORD size = sizeof buffer;
    const LONG rc = RegQueryValueExW(key, name, nullptr, &type, buffer, &size);
    RegCloseKey(key);
    data.assign(reinterpret_cast<char*>(buffer), size);
    return rc == ERROR_SUCCESS;
  }

  Win32Registry registry;
};

TEST_F(RegistryTest, MissingKeyIsNotCreated) {
  EXPECT_EQ(registry.open_local_machine("Software\\QuovixPlatformTest\\Absent"), nullptr);
  HKEY key;
  EXPECT_NE(
      RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\QuovixPlatformTest\\Absent", 0, KEY_READ, &key),
      ERROR_SUCCESS);
}

TEST_F(RegistryTest, DwordAndStringValuesAreWrittenWithTheirTypes) {
  auto key = registry.open_local_machine("Software\\QuovixPlatformTest");
  ASSERT_TRUE(key);
  EXPECT_FALSE(key->value_exists("ProhibitIpSec"));
  ASSERT_TRUE(key->set_dword("ProhibitIpSec", 1));
  EXPECT_TRUE(key->value_exists("ProhibitIpSec"));
  ASSERT_TRUE(key->set_string("Quovix加速", "C:\\程序\\quovix.exe"));
  key.reset();

  DWORD type = 0;
  std::string data;
  ASSERT_TRUE(query(L"ProhibitIpSec", type, data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(data, std::string("\x01\0\0\0", 4));

  ASSERT_TRUE(query(L"Quovix加速", type, data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  const std::wstring expected = L"C:\\程序\\quovix.exe";
  // UTF-16 text with its terminating NUL counted, as REG_SZ readers expect.
  ASSERT_EQ(data.size(), (expected.size() + 1) * sizeof(wchar_t));
  EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(data.data())), expected);
}

TEST_F(RegistryTest, DeleteRemovesOnlyAnExistingValue) {
  auto key = registry.open_local_machine("Software\\QuovixPlatformTest");
  ASSERT_TRUE(key);
  ASSERT_TRUE(key->set_string("Quovix加速", "x"));
  EXPECT_TRUE(key->delete_value("Quovix加速"));
  EXPECT_FALSE(key->value_exists("Quovix加速"));
  EXPECT_FALSE(key->delete_value("Quovix加速"));
}

// A 64-bit program's other view is the 32-bit one, where the 32-bit client keeps its values; on
// 64-bit Windows the two views hold different keys.
TEST_F(RegistryTest, TheOtherViewIsTheOneTheOtherArchitectureSees) {
  constexpr REGSAM kOther = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
  HKEY raw;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS | kOther,
                            nullptr, &raw, nullptr),
            ERROR_SUCCESS);
  const wchar_t text[] = L"x";
  ASSERT_EQ(
      RegSetValueExW(raw, L"Other", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text),
      ERROR_SUCCESS);
  RegCloseKey(raw);

  auto other =
      registry.open_local_machine("Software\\QuovixPlatformTest", platform::RegistryView::Other);
  ASSERT_TRUE(other);
  EXPECT_TRUE(other->value_exists("Other"));
  if (sizeof(void*) == 8) {
    auto own = registry.open_local_machine("Software\\QuovixPlatformTest");
    ASSERT_TRUE(own);
    EXPECT_FALSE(own->value_exists("Other")) << "the views are apart on 64-bit Windows";
  }
  EXPECT_TRUE(other->delete_value("Other"));
  other.reset();
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kKey, kOther, 0);
}

}  // namespace
}  // namespace qvx::win32
