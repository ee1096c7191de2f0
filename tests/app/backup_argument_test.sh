#!/usr/bin/env bash
# velkaro-desktop FILE.vlx, as the file manager starts it for a double-click
# on a backup: with no cards yet there is no question, the backup's cards
# are loaded (and written to the working file at once), and the message
# "2 Karten geladen aus Datei" waits for the user. The program is then ended
# by SIGTERM, which writes what File > Exit writes.
# usage: backup_argument_test.sh VELKARO_DESKTOP VELKARO
set -euo pipefail
desktop=$1 velkaro=$2

scratch=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" XDG_CONFIG_DIRS="$scratch/xdg" \
  XDG_DATA_HOME="$scratch/home/.local/share" XDG_RUNTIME_DIR="$scratch/run" QT_QPA_PLATFORM=offscreen \
  LANG=C LC_ALL=
mkdir -p "$HOME" "$scratch/xdg/Velkaro" "$scratch/run" "$scratch/files"
chmod 700 "$scratch/run"
data="$scratch/data"
printf '[Settings]\nDataDirectory=%s\n' "$data" >"$scratch/xdg/Velkaro/Velkaro Desktop.ini"

cd "$scratch/files"
printf 'Name;Telefon\nAlt;0301234\nBerg;0407654\n' >addresses.csv
"$velkaro" import addresses.csv --into cards.vlx --skip-first >/dev/null

# Given by a name relative to the folder the program starts in.
"$desktop" cards.vlx >"$scratch/out" 2>&1 &
pid=$!
working="$data/Velkaro_Desktop.itx"
for _ in $(seq 300); do
  if [ -s "$working" ] && [ "$("$velkaro" cards "$working" 2>/dev/null | grep -c '"lines"')" -ge 2 ]; then
    break
  fi
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -TERM "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
pid=

cards=$("$velkaro" cards "$working" 2>&1 || true)
case $cards in
  *'"Alt"'*'"Berg"'*) echo "the backup given on the command line was loaded" ;;
  *) echo "the working file does not hold the backup's cards: $cards"; cat "$scratch/out"; exit 1 ;;
esac
