#!/bin/bash
# The release zip unpacked into a fresh prefix starts and shows the login window.
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
# The test builds point at the demo service: a release of them is refused unless asked for, even
# with a certificate (never read: the refusal comes first; nothing listens on the port).
touch "$qvx_tmp/cert.pfx"
rc=0
QVX_SIGN_PFX=$qvx_tmp/cert.pfx QVX_SIGN_TIMESTAMP=http://127.0.0.1:9 \
  "$QVX_SOURCE/scripts/release.sh" >/dev/null 2>"$qvx_tmp/release.err" || rc=$?
[ "$rc" = 1 ] && grep -q '^release: REFUSED: the deployment values point at the demo service' "$qvx_tmp/release.err" ||
  qvx_fail "a release with the demo deployment values was not refused (exit $rc): $(tail -n 3 "$qvx_tmp/release.err")"
made=$("$QVX_SOURCE/scripts/release.sh" --demo 2>"$qvx_tmp/release.err")
zip=$(sed -n 1p <<<"$made")
setup=$(sed -n 2p <<<"$made")
grep -q '^release: built with win32 QVX_SERVER1=127.0.0.1' "$qvx_tmp/release.err" || qvx_fail "release does not name its endpoints"
[ -f "$zip" ] || qvx_fail "no release zip"
listing=$(unzip -Z1 "$zip")
for f in Quovix/quovix.exe Quovix/quovix64.exe Quovix/nettest.exe Quovix/nettest64.exe Quovix/update.exe Quovix/readme.txt Quovix/route/CHINANET.dat Quovix/route/CNC.dat \
  Quovix/route/CERNET.dat; do
  grep -qx "$f" <<<"$listing" || qvx_fail "$f missing from the zip"
done
qvx_setup
target=$(qvx_unix_path 'C:\Program Files')
mkdir -p "$target"
unzip -q "$zip" -d "$target"
QVX_PROGRAM_UNIX=$target/Quovix
# Each build's pass starts its own program from the zip.
exe=quovix.exe
[ "$QVX_ARCH" = win64 ] && exe=quovix64.exe
file "$target/Quovix/quovix.exe" | grep -q 'PE32 executable (GUI) Intel 80386' || qvx_fail "quovix.exe is not PE32"
file "$target/Quovix/quovix64.exe" | grep -q 'PE32+ executable (GUI) x86-64' || qvx_fail "quovix64.exe is not PE32+"
file "$target/Quovix/nettest.exe" | grep -q 'PE32 executable (GUI) Intel 80386' || qvx_fail "nettest.exe is not PE32"
file "$target/Quovix/nettest64.exe" | grep -q 'PE32+ executable (GUI) x86-64' || qvx_fail "nettest64.exe is not PE32+"
file "$target/Quovix/update.exe" | grep -q 'PE32 executable (GUI) Intel 80386' || qvx_fail "update.exe is not PE32"
# Run from a Downloads folder, no shipped program may import a DLL that Windows looks for in
# its own folder first; the setup's manifest takes comctl32 side by side.
python3 "$QVX_SOURCE/tests/pe/check_imports.py" "$QVX_SOURCE/tests/pe/known_dlls_win7.txt" "$setup" \
  "$target"/Quovix/{quovix,quovix64,nettest,nettest64,update}.exe >"$qvx_tmp/imports.out" ||
  qvx_fail "$(grep -v ': imports ' "$qvx_tmp/imports.out")"
QVX_PROGRAM_EXE="C:\\Program Files\\Quovix\\$exe"
qvx_ui_start "$exe"
qvx_start
qvx_ui_window "$QVX_LOGIN"
qvx_wait_log_line qvxl.log '读取用户配置文件'
qvx_screenshot release-login
qvx_pass
