#!/usr/bin/env bash
# Rebuilds res/quovix.ico with the sizes Windows asks for at 100-200 % scaling: 16, 20, 24, 32
# (the small icon at 96, 120, 144, 192 dpi) and 48. The drawn 16, 32 and 48 images are kept
# as they are; 20 and 24 are reduced from the 48 one, which keeps more detail than enlarging
# the 16. Running it again gives the same file. Needs ImageMagick (scripts/setup.sh installs it).
set -euo pipefail
cd "$(dirname "$0")/.."
ico=res/quovix.ico
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The frame of the given size, by its index in the icon.
frame() {
  identify -format '%w %p\n' "$ico" | awk -v w="$1" '$1 == w { print $2; exit }'
}
for size in 16 32 48; do
  index=$(frame "$size")
  [ -n "$index" ] || { echo "make_icon: $ico has no ${size}x$size image" >&2; exit 1; }
  convert "${ico}[$index]" "PNG32:$work/$size.png"
done
for size in 20 24; do
  convert "$work/48.png" -filter Lanczos -resize "${size}x$size" "PNG32:$work/$size.png"
done
# BMP-coded frames: Windows XP and 7's icon loaders read those at every size.
convert "$work/16.png" "$work/20.png" "$work/24.png" "$work/32.png" "$work/48.png" \
  -define icon:format=bmp "$work/quovix.ico"
mv "$work/quovix.ico" "$ico"
identify -format '%wx%h ' "$ico"
echo
