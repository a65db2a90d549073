// The update manifest: what a service may send and what counts as a bad reply.
#include <gtest/gtest.h>

#include "update/manifest.h"

namespace qvx::update {
namespace {

const std::string kDigest(64, 'a');

std::string manifest(const std::string& extra = "", const std::string& number = "2431") {
  return std::string(kManifestHeader) + "\r\nversion=2.43.1\r\nnumber=" + number +
         "\r\nurl=http://127.0.0.1:8080/dl/quovix-2.43.1-setup.exe\r\nsize=123456\r\nsha256=" +
         kDigest + "\r\n" + extra;
}

TEST(UpdateManifest, ReadsEveryKeyAndIgnoresUnknownOnes) {
  const ManifestResult r = parse_manifest(manifest("notes=new things\nmirror=x\n\n"));
  ASSERT_TRUE(r.manifest) << r.error;
  EXPECT_EQ(r.manifest->version, "2.43.1");
  EXPECT_EQ(r.manifest->number, "2431");
  EXPECT_EQ(r.manifest->url, "http://127.0.0.1:8080/dl/quovix-2.43.1-setup.exe");
  EXPECT_EQ(r.manifest->size, 123456u);
  EXPECT_EQ(r.manifest->sha256, kDigest);
  // Plain LF, uppercase hex and an https URL are fine too.
  std::string lf = "quovix-update 1\nsha256=" + std::string(64, 'B') +
                   "\nsize=1024\nurl=https://example.test/s.exe\nnumber=2500\nversion=2.50";
  const ManifestResult r2 = parse_manifest(lf);
  ASSERT_TRUE(r2.manifest) << r2.error;
  EXPECT_EQ(r2.manifest->sha256, std::string(64, 'b'));
}

TEST(UpdateManifest, RefusesMissingDuplicateAndMalformedKeys) {
  const std::string good = manifest();
  for (const char* key : {"version=", "number=", "url=", "size=", "sha256="}) {
    std::string text = good;
    const auto at = text.find(std::string("\n") + key) + 1;
    text.erase(at, text.find('\n', at) + 1 - at);
    EXPECT_FALSE(parse_manifest(text).manifest) << "without " << key;
  }
  EXPECT_FALSE(parse_manifest(manifest("size=123456\n")).manifest) << "duplicate";
  EXPECT_FALSE(parse_manifest(manifest("just text\n")).manifest) << "no '='";
  EXPECT_FALSE(parse_manifest(manifest("=x\n")).manifest) << "no key";
  EXPECT_FALSE(parse_manifest(manifest("notes=\xb8\xfc\xd0\xc2\n")).manifest) << "not ASCII";
  EXPECT_FALSE(parse_manifest(good.substr(good.find('\n') + 1)).manifest) << "no header";
  EXPECT_FALSE(parse_manifest("quovix-update 2\n" + good.substr(good.find('\n') + 1)).manifest);
  EXPECT_FALSE(parse_manifest("<html><body>404 Not Found</body></html>").manifest);
  EXPECT_FALSE(parse_manifest("").manifest);
  EXPECT_FALSE(parse_manifest(manifest("notes=" + std::string(kMaxManifestSize, 'x'))).manifest);
}

TEST(UpdateManifest, RefusesValuesOutOfShape) {
  auto with = [](const std::string& key, const std::string& value) {
    std::string text = manifest();
    const auto at = text.find("\n" + key + "=") + key.size() + 2;
    text.replace(at, text.find('\r', at) - at, value);
    return parse_manifest(text);
  };
  EXPECT_TRUE(with("size", "1024").manifest);
  EXPECT_FALSE(with("size", "1023").manifest);
  EXPECT_FALSE(with("size", std::to_string(kMaxSetupSize + 1)).manifest);
  EXPECT_FALSE(with("size", "12a").manifest);
  EXPECT_FALSE(with("size", "-5").manifest);
  EXPECT_FALSE(with("size", "99999999999999999999999").manifest);
  EXPECT_FALSE(with("sha256", std::string(63, 'a')).manifest);
  EXPECT_FALSE(with("sha256", std::string(63, 'a') + "g").manifest);
  EXPECT_FALSE(with("url", "ftp://host/setup.exe").manifest);
  EXPECT_FALSE(with("url", "/dl/setup.exe").manifest);
  EXPECT_FALSE(with("url", "http:///setup.exe").manifest);
  EXPECT_FALSE(with("url", "http://host/a b.exe").manifest);
  // The number must be the version's own mapping.
  EXPECT_FALSE(parse_manifest(manifest("", "2430")).manifest);
  EXPECT_FALSE(with("version", "2.5").manifest);
  EXPECT_FALSE(with("version", "2.43.10").manifest);
}

TEST(UpdateManifest, VersionNumberFollowsTheBuildMapping) {
  EXPECT_EQ(version_number("2.43"), "2430");
  EXPECT_EQ(version_number("2.05"), "2050");
  EXPECT_EQ(version_number("2.50.1"), "2501");
  EXPECT_EQ(version_number("2.5"), "");
  EXPECT_EQ(version_number("0.43"), "");
  EXPECT_EQ(version_number("12.43"), "");
  EXPECT_EQ(version_number("2.4a"), "");
  EXPECT_EQ(version_number("2.43-1"), "");
}

}  // namespace
}  // namespace qvx::update
