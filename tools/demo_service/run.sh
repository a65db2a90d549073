#!/usr/bin/env bash
# Starts the demo verification service in the foreground, building it first if needed.
# Options are passed on (see README.md beside this script); default port 18080.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${QVX_NATIVE_BUILD:-$root/build/native}
if [ ! -x "$build/tools/demo_service/demo_service" ]; then
  [ -f "$build/build.ninja" ] || cmake --preset native -S "$root" >/dev/null
  cmake --build "$build" -j2 --target demo_service
fi
exec "$build/tools/demo_service/demo_service" "$@"
