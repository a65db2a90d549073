// The user's own values under HKEY_CURRENT_USER and DPAPI, over the test prefix's user.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/win32_user_store.h"

namespace qvx::win32 {
namespace {

TEST(Win32DataProtection, ABlobComesBackOnlyUnchanged) {
  Win32DataProtection dpapi;
  const std::string secret = "密码 pw\x01\xff";
  const auto blob = dpapi.protect(secret);
  ASSERT_TRUE(blob.has_value());
  EXPECT_EQ(blob->find("pw"), std::string::npos) << "the blob holds the text in the clear";
  EXPECT_EQ(dpapi.unprotect(*blob), secret);
  // The blob ends in its encrypted data and their signature. (Wine lets some header fields,
  // such as the provider's GUID, change unnoticed.)
  ASSERT_GT(blob->size(), 32u);
  for (std::size_t at = blob->size() - 32; at < blob->size(); ++at) {
    std::string changed = *blob;
    changed[at] ^= 0x10;
    EXPECT_EQ(dpapi.unprotect(changed), std::nullopt) << at << " of " << blob->size();
  }
  EXPECT_EQ(dpapi.unprotect("not a blob"), std::nullopt);
}

TEST(Win32UserStore, BinaryValuesRoundTripUnderTheUsersKey) {
  Win32UserStore store;
  const std::string bytes("a\0b\xff\n", 5);
  ASSERT_TRUE(store.write("QuovixTestValue", bytes));
  EXPECT_EQ(store.read("QuovixTestValue"), bytes);
  ASSERT_TRUE(store.write("QuovixTestValue", ""));
  EXPECT_EQ(store.read("QuovixTestValue"), "");
  EXPECT_EQ(store.read("QuovixNoSuchValue"), std::nullopt);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Quovix", 0, KEY_SET_VALUE, &key),
            ERROR_SUCCESS);
  RegDeleteValueW(key, L"QuovixTestValue");
  RegCloseKey(key);
}

}  // namespace
}  // namespace qvx::win32
