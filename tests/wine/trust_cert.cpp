// Test program for the Wine tests, not shipped: adds one DER certificate file to the machine's
// trusted roots, as an administrator's import would, so that signatures chaining to it verify.
//   trust_cert CERT.der
// Exit 0 when added (or already there), 1 otherwise, with the error on stderr.
#include <windows.h>
// windows.h first: wincrypt.h builds on its types.
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: trust_cert CERT.der\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::vector<BYTE> der((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
  if (der.empty()) {
    std::fprintf(stderr, "trust_cert: cannot read %s\n", argv[1]);
    return 1;
  }
  // HKLM's Root store, which every user's chain engine trusts.
  HCERTSTORE root =
      CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
  if (!root) {
    std::fprintf(stderr, "trust_cert: cannot open the Root store: %lu\n", GetLastError());
    return 1;
  }
  const BOOL added = CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der.data(),
                                                      static_cast<DWORD>(der.size()),
                                                      CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  const DWORD error = GetLastError();
  CertCloseStore(root, 0);
  if (!added) {
    std::fprintf(stderr, "trust_cert: cannot add %s: 0x%08lx\n", argv[1], error);
    return 1;
  }
  return 0;
}
