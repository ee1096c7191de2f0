#!/usr/bin/env bash
# Builds Velkaro Desktop and starts it. Arguments are passed to the program;
# --demo starts a simulated telephone on a pseudo-terminal and connects to it.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
build="$here/build"
if [ ! -x "$build/app/velkaro-desktop" ]; then
  echo "Building Velkaro Desktop for the first time: about ten minutes on a two-core machine;"
  echo "later starts build only what changed. [done/all] below counts the files compiled."
fi
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELKARO_TESTS=OFF >/dev/null
cmake --build "$build" --target velkaro-desktop velkaro velkaro-phone-sim velkaro-phone-panel

demo=0
args=()
for a in "$@"; do
  if [ "$a" = "--demo" ]; then demo=1; else args+=("$a"); fi
done

if [ $demo -eq 1 ] && [ -x "$build/sim/velkaro-phone-sim" ]; then
  exec "$here/scripts/demo.sh" "$build" "${args[@]}"
fi
exec "$build/app/velkaro-desktop" "${args[@]}"
