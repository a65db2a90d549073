#!/usr/bin/env bash
# Signs one Windows program in place with Authenticode, then checks the signature:
#   sign.sh FILE
# QVX_SIGN_PFX names the certificate (PKCS#12) and QVX_SIGN_PASSWORD holds its password; both
# come from the environment and are never committed. QVX_SIGN_TIMESTAMP, optional, lists RFC 3161
# time-stamp servers separated by spaces, tried in order, so that the signature outlives the
# certificate; with a list, a signature without a time stamp is a failure.
set -euo pipefail
file=$1
: "${QVX_SIGN_PFX:?sign: QVX_SIGN_PFX must name the certificate}"
command -v osslsigncode >/dev/null || { echo "sign: osslsigncode missing (apt-get install osslsigncode)" >&2; exit 1; }
read -ra servers <<<"${QVX_SIGN_TIMESTAMP:-}"
fail() {
  rm -f "$file.signed"
  echo "sign: $1" >&2
  exit 1
}

# The password goes through a pipe, not the command line other users can read.
sign_with() { # TIMESTAMP-SERVER (empty: none)
  local args=(sign -pkcs12 "$QVX_SIGN_PFX" -readpass - -h sha256 -n "Quovix加速" -in "$file" -out "$file.signed")
  [ -n "$1" ] && args+=(-ts "$1")
  rm -f "$file.signed"
  printf '%s' "${QVX_SIGN_PASSWORD:-}" | osslsigncode "${args[@]}" >/dev/null 2>&1
}

if [ ${#servers[@]} = 0 ]; then
  sign_with "" || fail "osslsigncode could not sign $file"
else
  stamped=
  for server in "${servers[@]}"; do
    if sign_with "$server"; then
      stamped=$server
      break
    fi
    echo "sign: time-stamp server $server did not answer for $file" >&2
  done
  [ -n "$stamped" ] || fail "no time-stamp server answered (${servers[*]}): $file is not signed"
fi

# The chain of a test certificate cannot verify, so the exit code of verify says nothing: the
# signed digest must match the file, and the time stamp must be there when one was asked for.
report=$(osslsigncode verify -in "$file.signed" 2>&1 || true)
current=$(sed -n 's/^Current message digest *: *//p' <<<"$report")
calculated=$(sed -n 's/^Calculated message digest *: *//p' <<<"$report")
if [ -z "$current" ] || [ "$current" != "$calculated" ]; then
  fail "the signature on $file does not verify"
fi
[ ${#servers[@]} = 0 ] || grep -q 'Timestamp time:' <<<"$report" || fail "the signature on $file has no time stamp"
mv -f "$file.signed" "$file"
