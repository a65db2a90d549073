// The ANSI code page of the model of Windows: what the A functions make of the client's GBK
// names, and why the client calls the W functions with names it converts itself.
#include "platform/sim/model/ansi_code_page.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/sim/model/ras_phonebook.h"

namespace qvx::model {
namespace {

struct Entry {
  std::u16string name;
};

const std::string kGbkName = "Quovix加速10001";  // GBK: the narrow literals are
const std::u16string kName = u"Quovix加速10001";

TEST(AnsiCodePageTest, GbkNamesRoundTripOnlyWhereTheCodePageIsGbk) {
  EXPECT_EQ(wide_from_ansi(kCodePageGbk, kGbkName), kName);
  EXPECT_EQ(ansi_from_wide(kCodePageGbk, kName), kGbkName);

  const std::u16string as_utf8 = wide_from_ansi(kCodePageUtf8, kGbkName);
  EXPECT_EQ(as_utf8, u"Quovix\uFFFD\uFFFD\uFFFD\uFFFD10001") << "each stray byte one U+FFFD";
  EXPECT_EQ(ansi_from_wide(kCodePageUtf8, as_utf8),
            "Quovix\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"
            "10001");

  const std::u16string as_big5 = wide_from_ansi(kCodePageBig5, kGbkName);
  EXPECT_NE(as_big5, kName);
  EXPECT_EQ(as_big5.substr(0, 6), u"Quovix");
}

TEST(AnsiCodePageTest, Utf8FollowsTheConversionRules) {
  EXPECT_EQ(wide_from_ansi(kCodePageUtf8, "\xE5\x8A\xA0\xF0\x9F\x98\x80"), u"加\U0001F600");
  EXPECT_EQ(ansi_from_wide(kCodePageUtf8, u"加\U0001F600"), "\xE5\x8A\xA0\xF0\x9F\x98\x80");
  EXPECT_EQ(wide_from_ansi(kCodePageUtf8, "\xC0\xAF"), u"\uFFFD\uFFFD") << "overlong";
  EXPECT_EQ(wide_from_ansi(kCodePageUtf8, "\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD") << "surrogate";
  EXPECT_EQ(wide_from_ansi(kCodePageUtf8, "a\xE5\x8A"), u"a\uFFFD\uFFFD") << "cut short";
  EXPECT_EQ(ansi_from_wide(kCodePageUtf8, std::u16string(1, u'\xD800') + u"a"),
            "\xEF\xBF\xBD"
            "a");
}

TEST(AnsiCodePageTest, CharactersTheCodePageLacksBecomeTheDefaultCharacter) {
  EXPECT_EQ(ansi_from_wide(kCodePageGbk, u"a\u0E01b"), "a?b") << "Thai has no GBK form";
  EXPECT_EQ(ansi_from_wide(kCodePageBig5, u"加速"), "\xA5\x5B\xB3\x74") << "Big5 has both";
}

// An entry written through RasSetEntryPropertiesA on a UTF-8 Windows: the phone book holds what
// the code page made of the GBK bytes, so neither the W lookup of the real name nor the client's
// compare of what RasEnumEntriesA hands back recognises it.
TEST(AnsiCodePageTest, AnEntryWrittenThroughTheAFunctionUnderUtf8IsNotFoundByItsGbkName) {
  RasPhoneBook<Entry> book;
  book.put({wide_from_ansi(kCodePageUtf8, kGbkName)});
  EXPECT_EQ(book.find(wide_from_ansi(kCodePageGbk, kGbkName)), nullptr);
  ASSERT_EQ(book.names().size(), 1u);
  const std::string listed = ansi_from_wide(kCodePageUtf8, book.names()[0]);
  EXPECT_NE(listed.rfind("Quovix加速", 0), 0u) << "the brand prefix is gone";

  // The W functions with the client's own conversion: found, listed and deleted by name.
  book.put({wide_from_ansi(kCodePageGbk, kGbkName)});
  ASSERT_NE(book.find(kName), nullptr);
  EXPECT_EQ(ansi_from_wide(kCodePageGbk, book.names()[1]), kGbkName);
  EXPECT_EQ(book.remove(wide_from_ansi(kCodePageGbk, kGbkName)), 0u);
}

}  // namespace
}  // namespace qvx::model
