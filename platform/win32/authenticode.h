// Authenticode checks of program files: a trusted signature, and whose certificate made it.
#pragma once
#include <string>
#include <vector>

namespace qvx::win32 {

enum class Trust {
  trusted,    // a valid signature chaining to a trusted root
  unsigned_,  // no signature at all
  untrusted,  // a signature, but not valid or not trusted
};

struct SignerCheck {
  Trust trust = Trust::untrusted;
  std::vector<unsigned char> signer;  // the signer's encoded certificate, when trusted
  long status = 0;                    // WinVerifyTrust's result, for the log
};

// path is a full path, GBK.
SignerCheck check_signer(const std::string& path);

}  // namespace qvx::win32
