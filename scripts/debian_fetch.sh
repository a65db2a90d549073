#!/usr/bin/env bash
# Downloads one package's files from the Debian archive into a folder, each checked against the
# archive's signed hashes: the suite's InRelease must carry a Debian archive key's signature,
# the index must match the hash InRelease gives it, every file the hash the index gives it.
#   debian_fetch.sh SUITE binary PACKAGE DIR    the package's amd64 .deb, as DIR/PACKAGE.deb
#   debian_fetch.sh SUITE source PACKAGE DIR    the source package's files (.dsc, tarballs)
# QVX_DEBIAN_MIRROR changes the archive (default http://deb.debian.org/debian). Prints the
# version it fetched; exits 1 with the reason on stderr.
set -uo pipefail
suite=$1 kind=$2 package=$3 dir=$4
archive=${QVX_DEBIAN_MIRROR:-http://deb.debian.org/debian}
keyring=/usr/share/keyrings/debian-archive-keyring.gpg

say() { echo "debian_fetch: $*" >&2; }
download() { curl -fsS --retry 3 -o "$2" "$archive/$1" || { say "cannot download $archive/$1"; exit 1; }; }
check() { # FILE SHA256 WHAT
  if [ -z "$2" ] || [ "$(sha256sum <"$1" | cut -d' ' -f1)" != "$2" ]; then
    say "$3 does not match its signed hash"
    exit 1
  fi
}
# The SHA-256 a Release or Sources text gives for NAME (the third column of its SHA256 list).
listed_sha() {
  awk -v name="$2" '/^(SHA256|Checksums-Sha256):/ {on = 1; next} /^[^ ]/ {on = 0}
    on && $3 == name {print $1; exit}' "$1"
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
download "dists/$suite/InRelease" "$work/InRelease"
gpgv --keyring "$keyring" --output "$work/Release" "$work/InRelease" 2>/dev/null ||
  { say "the $suite Release file is not signed by a Debian archive key"; exit 1; }
case $kind in
  binary) index=main/binary-amd64/Packages.xz ;;
  source) index=main/source/Sources.xz ;;
  *)
    say "KIND is binary or source, not '$kind'"
    exit 1
    ;;
esac
download "dists/$suite/$index" "$work/index.xz"
check "$work/index.xz" "$(listed_sha "$work/Release" "$index")" "the $suite index $index"
xz -dc "$work/index.xz" | awk -v RS= -v p="$package" '$0 ~ "(^|\n)Package: " p "\n"' >"$work/stanza"
version=$(sed -n 's/^Version: //p' "$work/stanza" | head -n 1)
[ -n "$version" ] || { say "no $package in the $suite index"; exit 1; }
mkdir -p "$dir"
if [ "$kind" = binary ]; then
  file=$(sed -n 's/^Filename: //p' "$work/stanza" | head -n 1)
  download "$file" "$work/package.deb"
  check "$work/package.deb" "$(sed -n 's/^SHA256: //p' "$work/stanza" | head -n 1)" "$file"
  mv "$work/package.deb" "$dir/$package.deb"
else
  directory=$(sed -n 's/^Directory: //p' "$work/stanza" | head -n 1)
  awk '/^Checksums-Sha256:/ {on = 1; next} /^[^ ]/ {on = 0} on {print $3}' "$work/stanza" >"$work/files"
  [ -s "$work/files" ] || { say "no files listed for the source package $package"; exit 1; }
  while read -r name; do
    download "$directory/$name" "$work/$name"
    check "$work/$name" "$(listed_sha "$work/stanza" "$name")" "$name"
    mv "$work/$name" "$dir/$name"
  done <"$work/files"
fi
echo "$version"
