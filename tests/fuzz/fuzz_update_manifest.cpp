// The release manifest the updater downloads: whatever the reply, a manifest it accepts is one
// it can act on safely.
#include <cctype>

#include "fuzz/fuzz_support.h"
#include "update/manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qvx::update;
  const ManifestResult result = parse_manifest(qvx::fuzz::bytes(data, size));
  qvx::fuzz::check(result.manifest.has_value() != !result.error.empty(),
                   "a reply is either a manifest or refused with a reason");
  if (!result.manifest) return 0;
  const Manifest& m = *result.manifest;
  qvx::fuzz::check(size <= kMaxManifestSize, "an oversized reply is refused");
  qvx::fuzz::check(m.size >= kMinSetupSize && m.size <= kMaxSetupSize, "the size is in bounds");
  qvx::fuzz::check(m.number.size() == 4 && m.number == version_number(m.version),
                   "the number is the version's");
  qvx::fuzz::check(m.url.rfind("http://", 0) == 0 || m.url.rfind("https://", 0) == 0,
                   "the setup comes over HTTP(S)");
  bool hex = m.sha256.size() == 64;
  for (char c : m.sha256)
    hex = hex && std::isxdigit(static_cast<unsigned char>(c)) &&
          !std::isupper(static_cast<unsigned char>(c));
  qvx::fuzz::check(hex, "the digest is 64 lowercase hex digits");
  for (char c : m.url) {
    qvx::fuzz::check(static_cast<unsigned char>(c) > ' ' && c != 0x7f,
                     "no space or control character in the URL");
  }
  return 0;
}
