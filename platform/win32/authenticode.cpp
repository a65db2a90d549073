#include "platform/win32/authenticode.h"

// clang-format off
#include <windows.h>
#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>
// clang-format on

#include "platform/win32/system_function.h"
#include "platform/win32/win32_text.h"

namespace qvx::win32 {

// "WinVerifyTrust function" and "WINTRUST_DATA structure", learn.microsoft.com, and
// "Example C Program: Verifying the Signature of a PE File": WINTRUST_ACTION_GENERIC_VERIFY_V2
// on a file, no UI. Revocation: WTD_REVOKE_NONE with WTD_CACHE_ONLY_URL_RETRIEVAL, so the check
// gives the same answer offline and never waits on a network fetch. The state is kept
// (WTD_STATEACTION_VERIFY) to read the signer from it with WTHelperProvDataFromStateData and
// WTHelperGetProvSignerFromChain ("CRYPT_PROVIDER_SGNR", learn.microsoft.com), then released
// with WTD_STATEACTION_CLOSE.
// wintrust is no KnownDLL: bound from the system folder (system_function.h).
SignerCheck check_signer(const std::string& path) {
  static const SystemFunction<decltype(&WinVerifyTrust)> verify{L"wintrust.dll", "WinVerifyTrust"};
  static const SystemFunction<decltype(&WTHelperProvDataFromStateData)> provider_data{
      L"wintrust.dll", "WTHelperProvDataFromStateData"};
  static const SystemFunction<decltype(&WTHelperGetProvSignerFromChain)> signer_of{
      L"wintrust.dll", "WTHelperGetProvSignerFromChain"};
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
  const HWND no_ui = static_cast<HWND>(INVALID_HANDLE_VALUE);
  // Without wintrust nothing is trusted: TRUST_E_PROVIDER_UNKNOWN.
  result.status =
      verify.call_or(static_cast<LONG>(TRUST_E_PROVIDER_UNKNOWN), no_ui, &action, &data);
  if (!verify) return result;
  if (result.status == ERROR_SUCCESS) {
    CRYPT_PROVIDER_DATA* provider =
        provider_data.call_or(static_cast<CRYPT_PROVIDER_DATA*>(nullptr), data.hWVTStateData);
    CRYPT_PROVIDER_SGNR* signer =
        provider ? signer_of.call_or(static_cast<CRYPT_PROVIDER_SGNR*>(nullptr), provider, DWORD{0},
                                     FALSE, DWORD{0})
                 : nullptr;
    if (signer && signer->csCertChain > 0 && signer->pasCertChain[0].pCert) {
      const CERT_CONTEXT* cert = signer->pasCertChain[0].pCert;
      result.trusted = true;
      result.signer.assign(cert->pbCertEncoded, cert->pbCertEncoded + cert->cbCertEncoded);
    }
  }
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  verify.call_or(LONG{0}, no_ui, &action, &data);
  return result;
}

}  // namespace qvx::win32
