#!/usr/bin/env bash
# scripts/sign.sh against time-stamp servers on loopback: the list is tried in order, a
# signature must carry a time stamp when a list is given, and a file that could not be signed
# and stamped is left as it was. Port 9 stands in for a server that is down.
set -uo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
server=
trap '[ -n "$server" ] && kill "$server"; rm -rf "$work"' EXIT
status=0
fail() {
  echo "FAIL: $1"
  status=1
}
cd "$work" || exit 1

# A small PE program and a throwaway certificate.
echo 'int main(void) { return 0; }' >prog.c
x86_64-w64-mingw32-gcc prog.c -o prog.exe || exit 1
openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 \
  -subj "/CN=Quovix sign test" >/dev/null 2>&1 || exit 1
openssl pkcs12 -export -inkey key.pem -in cert.pem -out cert.pfx -passout pass:throwaway || exit 1
export QVX_SIGN_PFX=$work/cert.pfx QVX_SIGN_PASSWORD=throwaway

python3 "$source_dir/tests/harness/timestamp_server.py" "$work/tsa" >port &
server=$!
for _ in $(seq 50); do [ -s port ] && break; sleep 0.1; done
tsa=http://127.0.0.1:$(cat port)

sign() { # SERVERS -> exit code; the file is t.exe, stderr in sign.err
  cp prog.exe t.exe
  QVX_SIGN_TIMESTAMP=$1 "$source_dir/scripts/sign.sh" t.exe 2>sign.err
}
# The chain of a test certificate cannot verify, so verify's exit code says nothing here.
report() { osslsigncode verify -in t.exe 2>&1 || true; }
shows() { grep -q "$1" <<<"$(report)"; }

# The first server is down, the second answers: signed and stamped by the second.
if sign "http://127.0.0.1:9 $tsa"; then
  shows 'Subject: .*CN *= *Quovix sign test' || fail "no signature of the test certificate"
  shows 'Issuer: .*CN *= *Quovix time-stamp test' || fail "no time stamp from the second server"
  grep -q '^sign: time-stamp server http://127.0.0.1:9 did not answer' sign.err ||
    fail "the server that was down is not named: $(cat sign.err)"
else
  fail "signing with a second server that answers failed: $(cat sign.err)"
fi

# No server answers: refused, the file as it was, nothing half made beside it.
if sign "http://127.0.0.1:9 http://127.0.0.1:9/again"; then
  fail "signed although no time-stamp server answered"
fi
grep -q '^sign: no time-stamp server answered (http://127.0.0.1:9 http://127.0.0.1:9/again)' sign.err ||
  fail "the refusal does not say why: $(cat sign.err)"
cmp -s prog.exe t.exe || fail "a refused file was changed"
[ ! -e t.exe.signed ] || fail "a refused signing left t.exe.signed"

# Without a list the signature has no time stamp, as a demo release may.
sign "" || fail "signing without a time-stamp server failed: $(cat sign.err)"
shows 'Timestamp is not available' || fail "a time stamp appeared from nowhere"
shows 'Subject: .*CN *= *Quovix sign test' || fail "not signed without a time-stamp server"

[ "$status" = 0 ] && echo "sign_test: PASS"
exit "$status"
