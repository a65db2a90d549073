// Authenticode checks of program files: a trusted signature, and whose certificate made it.
#pragma once
#include <string>
#include <vector>

namespace qvx::win32 {

struct SignerCheck {
  bool trusted = false;               // a valid signature, trusted by the policy
  std::vector<unsigned char> signer;  // the signer's encoded certificate, when trusted
  long status = 0;                    // WinVerifyTrust's result, for the log
};

// path is a full path, GBK.
SignerCheck check_signer(const std::string& path);

}  // namespace qvx::win32
