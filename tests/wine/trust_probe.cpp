// Test program for test_authenticode.sh, not shipped: asks WinVerifyTrust about one file as an
// updater would (Authenticode policy, no UI, no revocation check: offline-capable) and prints
//   result=0xHHHHHHHH
//   signer=<SHA-256 of the signer's certificate, hex> | signer=none
//   chain=0xHHHHHHHH (the chain engine's error bits for the signer's chain) | chain=none
// The calls, per Microsoft's pages "WinVerifyTrust function (wintrust.h)",
// "WTHelperProvDataFromStateData function", "WTHelperGetProvSignerFromChain function" and
// "WTHelperGetProvCertFromChain function": verify with WTD_STATEACTION_VERIFY so that the state
// stays open for the helpers, then close it with WTD_STATEACTION_CLOSE.
#include <windows.h>
// windows.h first: the trust headers build on its types.
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <cstdio>
#include <string>

namespace {

std::wstring widen(const char* text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring wide(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1) MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], n);
  return wide;
}

CRYPT_PROVIDER_SGNR* first_signer(HANDLE state) {
  CRYPT_PROVIDER_DATA* data = WTHelperProvDataFromStateData(state);
  return data ? WTHelperGetProvSignerFromChain(data, 0, FALSE, 0) : nullptr;
}

// The chain engine's verdict on the signer's chain (CERT_TRUST_STATUS.dwErrorStatus), or "none".
std::string chain_status(CRYPT_PROVIDER_SGNR* signer) {
  if (!signer || !signer->pChainContext) return "none";
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lx",
                static_cast<unsigned long>(signer->pChainContext->TrustStatus.dwErrorStatus));
  return text;
}

// The thumbprint of the signer's own certificate (the chain's first), or "none".
std::string signer_thumbprint(CRYPT_PROVIDER_SGNR* signer) {
  CRYPT_PROVIDER_CERT* cert = signer ? WTHelperGetProvCertFromChain(signer, 0) : nullptr;
  if (!cert || !cert->pCert) return "none";
  BYTE hash[32];
  DWORD size = sizeof hash;
  if (!CryptHashCertificate2(L"SHA256", 0, nullptr, cert->pCert->pbCertEncoded,
                             cert->pCert->cbCertEncoded, hash, &size) ||
      size != sizeof hash) {
    return "unhashable";
  }
  std::string hex;
  char digits[3];
  for (BYTE b : hash) {
    std::snprintf(digits, sizeof digits, "%02x", b);
    hex += digits;
  }
  return hex;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: trust_probe FILE\n");
    return 2;
  }
  const std::wstring path = widen(argv[1]);
  WINTRUST_FILE_INFO file = {};
  file.cbStruct = sizeof file;
  file.pcwszFilePath = path.c_str();
  WINTRUST_DATA trust = {};
  trust.cbStruct = sizeof trust;
  trust.dwUIChoice = WTD_UI_NONE;
  trust.fdwRevocationChecks = WTD_REVOKE_NONE;
  trust.dwUnionChoice = WTD_CHOICE_FILE;
  trust.pFile = &file;
  trust.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const LONG result = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &trust);
  CRYPT_PROVIDER_SGNR* signer = first_signer(trust.hWVTStateData);
  std::printf("result=0x%08lx\nsigner=%s\nchain=%s\n", static_cast<unsigned long>(result),
              signer_thumbprint(signer).c_str(), chain_status(signer).c_str());
  trust.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &trust);
  return 0;
}
