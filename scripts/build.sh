#!/usr/bin/env bash
# Configures and builds the given presets (default: native win32).
set -euo pipefail
cd "$(dirname "$0")/.."
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(native win32)
mkdir -p build
for preset in "${presets[@]}"; do
  # One build of a folder at a time: the Wine tests of both passes may call this at once.
  exec {lock}>"build/.$preset.build-lock"
  flock "$lock"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)"
  exec {lock}>&-
done
