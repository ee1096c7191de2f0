#!/usr/bin/env bash
# scripts/demo.sh run from folders whose names hold blanks, quotes and
# backslashes: the desktop program (here a stand-in) finds the simulated
# telephone behind COM1, and the window "Simuliertes Telefon" (a stand-in
# that presses "send cards") reaches the telephone, which starts sending.
# usage: demo_script_test.sh SOURCE_DIR SIMULATOR
set -euo pipefail
source_dir=$1 sim=$2

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
odd="$scratch/it's a \"demo\" \\\\ folder"
build="$odd/build"
mkdir -p "$build/sim" "$build/app" "$odd/tmp" "$odd/home"
export HOME="$odd/home" XDG_CONFIG_HOME="$odd/home/.config" XDG_CONFIG_DIRS="$odd/xdg" \
  XDG_DATA_HOME="$odd/home/.local/share" TMPDIR="$odd/tmp"
ln -s "$sim" "$build/sim/velkaro-phone-sim"

# The stand-in panel: says which language it was given, presses "send cards".
cat >"$build/sim/velkaro-phone-panel" <<'PANEL'
#!/bin/sh
printf '%s\n' "$*" >"$HOME/panel-args"
sleep 0.3
echo send
PANEL
# The stand-in program: reads COM1 from its settings as the settings store
# does (quotes removed, \\ and \" unescaped) and reads the first bytes the
# telephone sends there.
cat >"$build/app/velkaro-desktop" <<'DESKTOP'
#!/bin/sh
ini="$XDG_CONFIG_HOME/Velkaro/Velkaro Desktop.ini"
value=$(sed -n 's/^COM1=//p' "$ini")
device=$(printf '%s\n' "$value" | sed -e 's/^"//' -e 's/"$//' -e 's/\\\(["\\]\)/\1/g')
if [ ! -e "$device" ]; then
  echo "COM1 leads nowhere: $value" >"$HOME/result"
  exit 1
fi
bytes=$(timeout 10 head -c 2 <"$device" | od -An -tx1 | tr -d ' \n')
echo "received $bytes" >"$HOME/result"
DESKTOP
chmod +x "$build/sim/velkaro-phone-panel" "$build/app/velkaro-desktop"

fail=0
run_demo() {
  rm -f "$HOME/result" "$HOME/panel-args"
  if [ "${3:-}" = programs ]; then
    # As velkaro-desktop --demo starts it: the programs named one by one.
    VELKARO_DEMO_DESKTOP="$build/app/velkaro-desktop" VELKARO_DEMO_SIM="$build/sim/velkaro-phone-sim" \
      VELKARO_DEMO_PANEL="$build/sim/velkaro-phone-panel" \
      "$source_dir/scripts/demo.sh" </dev/null >"$odd/demo.out" 2>&1 || { cat "$odd/demo.out"; fail=1; }
  else
    "$source_dir/scripts/demo.sh" "$build" </dev/null >"$odd/demo.out" 2>&1 || { cat "$odd/demo.out"; fail=1; }
  fi
  result=$(cat "$HOME/result" 2>/dev/null || echo "the program did not run")
  # 00 09: the telephone begins sending its cards.
  [ "$result" = "received 0009" ] || { echo "$1: $result"; cat "$odd/demo.out"; fail=1; }
  args=$(cat "$HOME/panel-args" 2>/dev/null || echo "the panel did not run")
  [ "$args" = "$2" ] || { echo "$1: panel started with: $args"; fail=1; }
}

# No language chosen yet: the panel, like the program, takes the locale's.
run_demo "no settings" ""
run_demo "no settings, programs named" "" programs
# The program speaks English: so does the panel.
mkdir -p "$XDG_CONFIG_HOME/Velkaro"
printf '[Settings]\nLanguage=256\n' >"$XDG_CONFIG_HOME/Velkaro/Velkaro Desktop.ini"
run_demo "English settings" "--lang en"

[ "$fail" = 0 ] && echo "the demo runs from an odd folder and its panel reaches the telephone"
exit "$fail"
