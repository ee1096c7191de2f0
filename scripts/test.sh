#!/usr/bin/env bash
# Builds Velkaro Desktop with its tests and runs every test: the unit, end-to-end
# and widget tests under ctest, then the check of the Debian package, then the
# fuzz targets for a short while under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the transfer tests under ThreadSanitizer.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-test-deps.sh"
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
# The three builds below are the presets of CMakePresets.json. A compiler
# cache, where one is installed, makes them quick to repeat (a preset cannot
# ask whether ccache is there).
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

build="$here/build"
cmake -S "$here" --preset default "${launcher[@]}"
cmake --build "$build" -j "$jobs"
(cd "$build" && ctest --output-on-failure -j "$jobs" --timeout 300 --repeat until-pass:2)

# The Debian package, unpacked into a scratch root and looked at as a user's
# machine would, lintian included.
# Its dates are those of the commit (SOURCE_DATE_EPOCH, as Debian's builds
# set it), so that making it again from one commit gives the same bytes.
if [ -z "${SOURCE_DATE_EPOCH:-}" ] && git -C "$here" rev-parse --verify -q HEAD >/dev/null; then
  SOURCE_DATE_EPOCH=$(git -C "$here" log -1 --format=%ct)
  export SOURCE_DATE_EPOCH
fi
rm -f "$build"/velkaro-desktop_*.deb
cmake --build "$build" -j "$jobs" --target package
first=$(mktemp)
cp "$build"/velkaro-desktop_*.deb "$first"
rm -f "$build"/velkaro-desktop_*.deb
cmake --build "$build" -j "$jobs" --target package
cmp "$first" "$build"/velkaro-desktop_*.deb || { echo "the package differs when made again from one commit"; exit 1; }
rm -f "$first"
sh "$here/cmake/check-package.sh" "$build"/velkaro-desktop_*.deb

# Parsers of outside bytes: a short libFuzzer run of each target over its seeds.
fuzzbuild="$here/build-fuzz"
cmake -S "$here" --preset fuzz "${launcher[@]}"
cmake --build "$fuzzbuild" -j "$jobs"
fuzzseconds=${VELKARO_FUZZ_SECONDS:-20}
for f in "$fuzzbuild"/fuzz/fuzz_*; do
  [ -f "$f" ] && [ -x "$f" ] || continue
  name=$(basename "$f")
  corpus=$(mktemp -d)
  seeds="$here/fuzz/seeds/${name#fuzz_}"
  [ -d "$seeds" ] && cp -r "$seeds"/. "$corpus"/
  echo "fuzzing $name for ${fuzzseconds}s"
  # The readers run with the users' limits; an input may take a few hundred
  # megabytes at most (a part inflated to its limit), no more.
  "$f" -max_total_time="$fuzzseconds" -max_len=65536 -rss_limit_mb=2048 -malloc_limit_mb=512 \
    -print_final_stats=0 "$corpus" 2>"$corpus.log" \
    || { tail -60 "$corpus.log"; exit 1; }
  rm -rf "$corpus" "$corpus.log"
done

# Threads that share data: the transfer tests under ThreadSanitizer, of the
# device link and of the command line's device commands.
if [ -f "$here/tests/device/CMakeLists.txt" ]; then
  tsanbuild="$here/build-tsan"
  cmake -S "$here" --preset tsan "${launcher[@]}"
  cmake --build "$tsanbuild" -j "$jobs" --target velkaro_device_tests velkaro_cli_tests velkaro-phone-sim
  (cd "$tsanbuild" && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" ctest --output-on-failure -R '^(device\.|cli\.CliE2E\.)' --timeout 300)
fi
