#!/usr/bin/env bash
# velkaro-desktop --demo as a user without a telephone starts it: the
# simulated telephone comes up on a pseudo-terminal, the program runs on it,
# and the user's settings and cards stay as they were.
# usage: demo_option_test.sh VELKARO_DESKTOP SCRATCH
set -uo pipefail
desktop=$1 scratch=$2
rm -rf "$scratch"
mkdir -p "$scratch/home/.config/Velkaro" "$scratch/etc" "$scratch/tmp"
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" XDG_CONFIG_DIRS="$scratch/etc" \
  XDG_DATA_HOME="$scratch/home/.local/share" XDG_RUNTIME_DIR="$scratch/run" TMPDIR="$scratch/tmp" \
  QT_QPA_PLATFORM=offscreen
mkdir -m 700 "$scratch/run"
settings="$XDG_CONFIG_HOME/Velkaro/Velkaro Desktop.ini"
printf '[Settings]\nPortCOM=3\nLanguage=256\n\n[Ports]\nCOM1=/dev/ttyS0\n' >"$settings"
cp "$settings" "$scratch/settings.before"

# The demo runs until its program holds its cards, then is ended as a
# terminal's Ctrl+C or a logout ends it: the script tidies up after itself.
"$desktop" --demo </dev/null >"$scratch/out" 2>&1 &
demo=$!
cards="$XDG_DATA_HOME/velkaro-demo/data/Velkaro_Desktop.itx"
for _ in $(seq 300); do
  [ -f "$cards.lock" ] && break
  kill -0 "$demo" 2>/dev/null || break
  sleep 0.1
done
kill -TERM "$demo" 2>/dev/null
wait "$demo"
status=$?

fail=0
say() { echo "$*"; fail=1; }
[ "$status" = 130 ] || say "the demo ended by itself with status $status: $(cat "$scratch/out")"
grep -q "COM1" "$scratch/out" || say "the demo did not say where the telephone is: $(cat "$scratch/out")"
[ -f "$cards" ] || say "the program did not keep its cards in the demo's folder"
cmp -s "$settings" "$scratch/settings.before" || say "the user's settings changed: $(cat "$settings")"
[ -z "$(ls -A "$HOME/Documents" 2>/dev/null)" ] || say "the demo wrote into the user's documents"
[ -z "$(ls -A "$TMPDIR")" ] || say "the demo left files behind: $(ls -A "$TMPDIR")"

# Without its script the option says what is missing.
mkdir -p "$scratch/alone"
cp "$desktop" "$scratch/alone/velkaro-desktop"
"$scratch/alone/velkaro-desktop" --demo >"$scratch/out" 2>&1
status=$?
[ "$status" = 1 ] && grep -q "demo.sh" "$scratch/out" || say "a demo that cannot start says: $status $(cat "$scratch/out")"

[ "$fail" = 0 ] && echo "velkaro-desktop --demo runs on the simulated telephone and leaves the user's things alone"
exit "$fail"
