#!/bin/bash
# A release made with a certificate carries a time-stamped Authenticode signature on every
# program: the programs in the zip, the setup, and the uninstaller the setup installs. A throwaway
# self-signed certificate stands in for the real one. The release is the same for both builds:
# only the win64 pass runs this.
# qvx-arch: win64
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
command -v osslsigncode >/dev/null || qvx_fail "osslsigncode missing (scripts/setup.sh installs it)"

cert=$qvx_tmp/cert
mkdir -p "$cert"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$cert/key.pem" -out "$cert/cert.pem" -days 2 \
  -subj "/CN=Quovix release test" >/dev/null 2>&1 || qvx_fail "openssl req"
openssl pkcs12 -export -inkey "$cert/key.pem" -in "$cert/cert.pem" -out "$cert/cert.pfx" \
  -passout pass:throwaway || qvx_fail "openssl pkcs12"

# The signature is found and matches the file; its self-signed chain cannot verify, so the
# exit code of verify says nothing here.
signed_by_us() {
  local out
  out=$(osslsigncode verify -in "$1" 2>&1 || true)
  grep -q 'Subject: .*CN *= *Quovix release test' <<<"$out" && ! grep -q 'MISMATCH' <<<"$out" ||
    qvx_fail "no valid signature of the test certificate on $2: $(head -n 5 <<<"$out")"
  grep -q 'Issuer: .*CN *= *Quovix time-stamp test' <<<"$out" || qvx_fail "no time stamp on $2"
}

# A release that is not a demo refuses to be unsigned, or signed without a time stamp. Port 9
# on loopback stands in for a time-stamp server that is down: nothing listens there.
refused() { # WHAT EXPECTED-MESSAGE RELEASE-ARGUMENTS...
  local what=$1 message=$2 rc=0
  shift 2
  "$QVX_SOURCE/scripts/release.sh" "$@" >"$qvx_tmp/refused.out" 2>"$qvx_tmp/refused.err" || rc=$?
  [ "$rc" = 1 ] && grep -q "$message" "$qvx_tmp/refused.err" ||
    qvx_fail "$what was not refused (exit $rc): $(tail -n 3 "$qvx_tmp/refused.err")"
  [ ! -s "$qvx_tmp/refused.out" ] && [ -z "$(find "$QVX_RELEASE_DIR" -name 'quovix*' -o -name Quovix)" ] ||
    qvx_fail "$what left release files: $(ls "$QVX_RELEASE_DIR")"
}
QVX_SIGN_PFX='' refused "a release without a certificate" '^release: REFUSED: no certificate'
QVX_SIGN_PFX=$cert/cert.pfx QVX_SIGN_PASSWORD=throwaway QVX_SIGN_TIMESTAMP='' \
  refused "a release without a time-stamp server" '^release: REFUSED: QVX_SIGN_TIMESTAMP lists no'
# A zip left by an earlier release goes too: it would look like this one's.
mkdir -p "$QVX_RELEASE_DIR" && touch "$QVX_RELEASE_DIR/quovix-$QVX_VERSION.zip"
QVX_SIGN_PFX=$cert/cert.pfx QVX_SIGN_PASSWORD=throwaway \
  QVX_SIGN_TIMESTAMP='http://127.0.0.1:9/first http://127.0.0.1:9/second' \
  refused "a release whose time-stamp servers are down" '^sign: no time-stamp server answered (http://127.0.0.1:9/first http://127.0.0.1:9/second)' --demo
grep -q '^sign: time-stamp server http://127.0.0.1:9/first did not answer' "$qvx_tmp/refused.err" ||
  qvx_fail "the time-stamp servers were not tried in order: $(head -n 3 "$qvx_tmp/refused.err")"

# Without a certificate a demo release says so.
"$QVX_SOURCE/scripts/release.sh" --demo >/dev/null 2>"$qvx_tmp/unsigned.err" || qvx_fail "unsigned release failed"
grep -q '^release: UNSIGNED' "$qvx_tmp/unsigned.err" || qvx_fail "an unsigned release does not say so"
! osslsigncode verify -in "$QVX_RELEASE_DIR/Quovix/quovix.exe" >/dev/null 2>&1 ||
  qvx_fail "the unsigned release has a signature"

# Signed and time-stamped by a stand-in server on loopback, after one that is down.
python3 "$QVX_SOURCE/tests/harness/timestamp_server.py" "$qvx_tmp/tsa" >"$qvx_tmp/tsa.port" &
qvx_stop_on_exit $!
for _ in $(seq 100); do [ -s "$qvx_tmp/tsa.port" ] && break; sleep 0.1; done
[ -s "$qvx_tmp/tsa.port" ] || qvx_fail "the time-stamp stand-in did not start"
release=$(QVX_SIGN_PFX=$cert/cert.pfx QVX_SIGN_PASSWORD=throwaway \
  QVX_SIGN_TIMESTAMP="http://127.0.0.1:9 http://127.0.0.1:$(cat "$qvx_tmp/tsa.port")" \
  "$QVX_SOURCE/scripts/release.sh" --demo 2>"$qvx_tmp/signed.err") ||
  qvx_fail "signed release failed: $(tail -n 5 "$qvx_tmp/signed.err")"
grep -q '^release: signed with' "$qvx_tmp/signed.err" || qvx_fail "the signed release does not say so"
unzip -q "$(sed -n 1p <<<"$release")" -d "$qvx_tmp/zip"
signed_by_us "$qvx_tmp/zip/Quovix/quovix.exe" "quovix.exe in the zip"
signed_by_us "$qvx_tmp/zip/Quovix/quovix64.exe" "quovix64.exe in the zip"
signed_by_us "$qvx_tmp/zip/Quovix/nettest.exe" "nettest.exe in the zip"
signed_by_us "$qvx_tmp/zip/Quovix/nettest64.exe" "nettest64.exe in the zip"
signed_by_us "$qvx_tmp/zip/Quovix/update.exe" "update.exe in the zip"
setup=$(sed -n 2p <<<"$release")
signed_by_us "$setup" "the setup"

# The setup's stub is 32-bit: it runs in the 64-bit prefix's WoW64 (the i386 half of Wine).
why=$("$QVX_SOURCE/scripts/wine32_usable.sh" 2>&1) || qvx_fail "the signed setup cannot run: $why"
qvx_setup
cp "$setup" "$(qvx_unix_path 'C:\setup.exe')"
QVX_CWD=$(qvx_unix_path 'C:\')
qvx_run 'C:\setup.exe' /S || qvx_fail "the signed setup did not install"
installed=$(qvx_unix_path 'C:\Program Files\Quovix')
signed_by_us "$installed/uninst.exe" "the installed uninstaller"
signed_by_us "$installed/quovix.exe" "the installed program"
signed_by_us "$installed/nettest.exe" "the installed speed test"
signed_by_us "$installed/update.exe" "the installed updater"
qvx_pass
