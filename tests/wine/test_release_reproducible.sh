#!/bin/bash
# An unsigned release made twice from one commit is the same bytes: the zip and the setup. The
# second release reuses the built programs, so the programs' own link time is checked apart:
# it must not be in their PE headers. The release is the same for both builds: only the win64
# pass runs this.
# qvx-arch: win64
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
first=$(QVX_RELEASE_DIR=$qvx_tmp/first "$QVX_SOURCE/scripts/release.sh" --demo 2>"$qvx_tmp/first.err") ||
  qvx_fail "first release failed: $(tail -n 3 "$qvx_tmp/first.err")"
# Another second on the clock, so that a time taken from it would show.
sleep 1
second=$(QVX_RELEASE_DIR=$qvx_tmp/second "$QVX_SOURCE/scripts/release.sh" --demo 2>"$qvx_tmp/second.err") ||
  qvx_fail "second release failed: $(tail -n 3 "$qvx_tmp/second.err")"
for line in 1 2; do
  a=$(sed -n "${line}p" <<<"$first")
  b=$(sed -n "${line}p" <<<"$second")
  cmp "$a" "$b" || qvx_fail "$(basename "$a") differs between two releases of one commit"
done
# Dated at the commit, in the zip's fixed order.
commit_day=$(TZ=UTC date -d "@$(git -C "$QVX_SOURCE" log -1 --format=%ct)" +%Y-%m-%d)
zip=$(sed -n 1p <<<"$first")
listing=$(TZ=UTC unzip -Z -T "$zip" | grep -E '^[-d]')
[ -z "$(awk -v d="${commit_day//-/}" '$7 !~ "^" d' <<<"$listing")" ] || qvx_fail "zip entries not dated at the commit: $listing"
[ "$(unzip -Z1 "$zip")" = "$(unzip -Z1 "$zip" | LC_ALL=C sort)" ] || qvx_fail "the zip is not in a fixed order"
for program in quovix.exe quovix64.exe nettest.exe nettest64.exe; do
  stamp=$(objdump -p "$qvx_tmp/first/Quovix/$program" | sed -n 's/^Time\/Date[[:space:]]*//p')
  [ "$stamp" = "Thu Jan  1 00:00:00 1970" ] || qvx_fail "$program carries a link time in its PE header: $stamp"
done
qvx_pass
