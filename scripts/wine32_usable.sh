#!/usr/bin/env bash
# Exits 0 when the 32-bit Wine can run here: the kernel runs i386 programs and wine32 is
# installed; 1 when it cannot (the reason on stderr); 2 when the i386 probe cannot be built.
set -u
status=0
"$(dirname "$0")/host_runs_i386.sh" || status=$?
if [ "$status" -eq 1 ]; then
  echo "this host does not run i386 programs" >&2
elif [ "$status" -eq 0 ] && ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"; then
  echo "wine32 is not installed" >&2
  status=1
fi
exit "$status"
