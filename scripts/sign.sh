#!/usr/bin/env bash
# Signs one Windows program in place with Authenticode:
#   sign.sh FILE
# QVX_SIGN_PFX names the certificate (PKCS#12) and QVX_SIGN_PASSWORD holds its password; both
# come from the environment and are never committed. QVX_SIGN_TIMESTAMP, optional, names a
# timestamp server, so the signature outlives the certificate.
set -euo pipefail
file=$1
: "${QVX_SIGN_PFX:?sign: QVX_SIGN_PFX must name the certificate}"
command -v osslsigncode >/dev/null || { echo "sign: osslsigncode missing (apt-get install osslsigncode)" >&2; exit 1; }
args=(sign -pkcs12 "$QVX_SIGN_PFX" -readpass - -h sha256 -n "Quovix加速" -in "$file" -out "$file.signed")
[ -n "${QVX_SIGN_TIMESTAMP:-}" ] && args+=(-ts "$QVX_SIGN_TIMESTAMP")
# The password goes through a pipe, not the command line other users can read.
printf '%s' "${QVX_SIGN_PASSWORD:-}" | osslsigncode "${args[@]}" >/dev/null ||
  { rm -f "$file.signed"; echo "sign: osslsigncode could not sign $file" >&2; exit 1; }
mv -f "$file.signed" "$file"
