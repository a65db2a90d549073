#!/bin/bash
# What Wine's WinVerifyTrust (Authenticode policy, no UI, no revocation check) decides, which the
# updater relies on. Wine 8 checks that there is a signature and that its digest matches the
# file: an unsigned file fails with TRUST_E_NOSIGNATURE, one byte changed after signing with
# TRUST_E_BAD_DIGEST. It does NOT check trust: a file signed by a certificate the prefix does
# not trust passes, where Windows says CERT_E_UNTRUSTEDROOT; only the signer's chain shows
# CERT_TRUST_IS_UNTRUSTED_ROOT, and no longer once trust_cert has added the root. So under Wine
# the updater's comparison of the signer with its own is what refuses a stranger's setup.
# Also: the setup of the next version that qvx_next_setup makes verifies and installs that
# version. Wine's trust provider is one source for both builds: only the win64 pass runs this.
# qvx-arch: win64
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
command -v osslsigncode >/dev/null || qvx_fail "osslsigncode missing (scripts/setup.sh installs it)"

# Documented results (winerror.h) and the chain's error bit (wincrypt.h).
TRUST_E_NOSIGNATURE=0x800b0100
TRUST_E_BAD_DIGEST=0x80096010
CERT_TRUST_IS_UNTRUSTED_ROOT=0x00000020

qvx_make_cert A
qvx_make_cert B
certs=$qvx_tmp/certs
qvx_setup
qvx_trust_cert "$certs/A.der"

files=$qvx_tmp/files
mkdir -p "$files"
for name in unsigned by-a changed by-b; do cp "$QVX_BUILD/harness_probe.exe" "$files/$name.exe"; done
qvx_sign "$files/by-a.exe" "$certs/A.pfx"
qvx_sign "$files/changed.exe" "$certs/A.pfx"
qvx_sign "$files/by-b.exe" "$certs/B.pfx"
# One byte of the first section, which the signed digest covers, changed after signing.
printf '\xcc' | dd of="$files/changed.exe" bs=1 seek=1100 conv=notrunc status=none
cmp -s "$files/changed.exe" "$files/by-a.exe" && qvx_fail "the byte was not changed"

# verdict FILE: the probe's lines as "RESULT SIGNER CHAIN".
verdict() {
  local out
  out=$(QVX_CWD=$qvx_tmp qvx_run "$QVX_BUILD/trust_probe.exe" "Z:${1//\//\\}" | tr -d '\r') ||
    qvx_fail "trust_probe failed on $1"
  printf '%s %s %s' "$(sed -n 's/^result=//p' <<<"$out")" "$(sed -n 's/^signer=//p' <<<"$out")" \
    "$(sed -n 's/^chain=//p' <<<"$out")"
}
expect() { # WHAT FILE RESULT SIGNER CHAIN
  local got
  got=$(verdict "$2")
  [ "$got" = "$3 $4 $5" ] || qvx_fail "$1: WinVerifyTrust said '$got', expected '$3 $4 $5'"
  qvx_log "$1: $got"
}
a=$(cat "$certs/A.sha256")
b=$(cat "$certs/B.sha256")

expect "signed by the trusted A" "$files/by-a.exe" 0x00000000 "$a" 0x00000000
expect "unsigned" "$files/unsigned.exe" "$TRUST_E_NOSIGNATURE" none none
# The digest is compared; a file that fails it names no signer at all.
expect "changed after signing by A" "$files/changed.exe" "$TRUST_E_BAD_DIGEST" none none
# Wine's verdict ignores trust (Windows: CERT_E_UNTRUSTEDROOT); the chain still tells.
expect "signed by the untrusted B" "$files/by-b.exe" 0x00000000 "$b" "$CERT_TRUST_IS_UNTRUSTED_ROOT"
qvx_trust_cert "$certs/B.der"
expect "signed by B, trusted" "$files/by-b.exe" 0x00000000 "$b" 0x00000000

# The setup of the next version, signed by A, verifies and installs that version.
setup=$(qvx_next_setup "$certs/A.pfx")
expect "the next version's setup" "$setup" 0x00000000 "$a" 0x00000000
cp "$setup" "$(qvx_unix_path 'C:\setup.exe')"
QVX_CWD=$(qvx_unix_path 'C:\') qvx_run 'C:\setup.exe' /S || qvx_fail "the next version's setup did not install"
installed=$(qvx_unix_path 'C:\Program Files\Quovix')/quovix.exe
cmp -s "$installed" "$(dirname "$setup")/Quovix/quovix64.exe" ||
  qvx_fail "the installed program is not the one in the next version's setup"
[ "$(qvx_file_version "$installed")" = "$QVX_NEXT_FILEVERSION" ] ||
  qvx_fail "the installed program is version $(qvx_file_version "$installed"), not $QVX_NEXT_FILEVERSION"
qvx_pass
