#include "platform/win32/authenticode.h"

// clang-format off
#include <windows.h>
#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>
// clang-format on

#include "platform/win32/win32_text.h"

namespace qvx::win32 {

// "WinVerifyTrust function" and "WINTRUST_DATA structure", learn.microsoft.com, and
// "Example C Program: Verifying the Signature of a PE File": WINTRUST_ACTION_GENERIC_VERIFY_V2
// on a file, no UI. Revocation: WTD_REVOKE_NONE with WTD_CACHE_ONLY_URL_RETRIEVAL, so the check
// gives the same answer offline and never waits on a network fetch. The state is kept
// (WTD_STATEACTION_VERIFY) to read the signer from it with WTHelperProvDataFromStateData and
// WTHelperGetProvSignerFromChain ("CRYPT_PROVIDER_SGNR", learn.microsoft.com), then released
// with WTD_STATEACTION_CLOSE.
SignerCheck check_signer(const std::string& path) {
  const std::wstring wide = wide_from_gbk(path);
  WINTRUST_FILE_INFO file{};
  file.cbStruct = sizeof file;
  file.pcwszFilePath = wide.c_str();

  WINTRUST_DATA data{};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL;

  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  SignerCheck result;
  result.status = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  if (result.status == ERROR_SUCCESS) {
    CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(data.hWVTStateData);
    CRYPT_PROVIDER_SGNR* signer =
        provider ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
    if (signer && signer->csCertChain > 0 && signer->pasCertChain[0].pCert) {
      const CERT_CONTEXT* cert = signer->pasCertChain[0].pCert;
      result.trusted = true;
      result.signer.assign(cert->pbCertEncoded, cert->pbCertEncoded + cert->cbCertEncoded);
    }
  }
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  return result;
}

}  // namespace qvx::win32
