#!/usr/bin/env bash
# Try Velkaro Desktop without a telephone:
#   scripts/demo.sh BUILD_DIR [PROGRAM ARGUMENTS...]
# or, as `velkaro-desktop --demo` runs it with the installed programs,
#   VELKARO_DEMO_DESKTOP=... VELKARO_DEMO_SIM=... [VELKARO_DEMO_PANEL=...] demo.sh [ARGS...]
# Starts the simulated telephone (velkaro-phone-sim) on a pseudo-terminal
# with a sample address book and call list, lets COM1 (or $VELKARO_DEMO_PORT)
# lead to it for this run only, and starts velkaro-desktop connected to it.
# The simulator stops when the program ends.
#
# The user's own settings file is not touched: the program runs on a copy
# (language, window position and colours stay as they are), and its cards
# live in a demo folder of their own ($XDG_DATA_HOME/velkaro-demo), as does
# the telephone's address book, so both are there again at the next demo.
set -euo pipefail

if [ -n "${VELKARO_DEMO_DESKTOP:-}" ] && [ -n "${VELKARO_DEMO_SIM:-}" ]; then
  sim=$VELKARO_DEMO_SIM
  desktop=$VELKARO_DEMO_DESKTOP
  panel=${VELKARO_DEMO_PANEL:-}
else
  build=${1:?usage: demo.sh BUILD_DIR [ARGS...]}
  shift
  build=$(cd "$build" && pwd)
  sim="$build/sim/velkaro-phone-sim"
  desktop="$build/app/velkaro-desktop"
  panel="$build/sim/velkaro-phone-panel"
fi
port=${VELKARO_DEMO_PORT:-1}
for program in "$sim" "$desktop"; do
  if [ ! -x "$program" ]; then
    echo "demo: $program is missing; build it first (scripts/start.sh builds both)" >&2
    exit 1
  fi
done
case $port in
  [1-9] | 1[0-9] | 20) ;;
  *) echo "demo: VELKARO_DEMO_PORT must be 1..20" >&2; exit 2 ;;
esac

demo_home="${XDG_DATA_HOME:-$HOME/.local/share}/velkaro-demo"
mkdir -p "$demo_home/data"
run=$(mktemp -d "${TMPDIR:-/tmp}/velkaro-demo.XXXXXX")
sim_pid=
desktop_pid=
panel_pid=

cleanup() {
  if [ -n "$panel_pid" ] && kill -0 "$panel_pid" 2>/dev/null; then
    kill -TERM "$panel_pid" 2>/dev/null || true
    wait "$panel_pid" 2>/dev/null || true
  fi
  if [ -n "$desktop_pid" ] && kill -0 "$desktop_pid" 2>/dev/null; then
    kill -TERM "$desktop_pid" 2>/dev/null || true
    wait "$desktop_pid" 2>/dev/null || true
  fi
  if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
    # SIGTERM: the simulator writes its address book and removes its link.
    kill -TERM "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  exec 3>&- 2>/dev/null || true
  rm -rf "$run"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# An INI value as the settings store reads it back: in double quotes, with
# backslashes and quotes escaped.
ini_quote() {
  local v=${1//\\/\\\\}
  v=${v//\"/\\\"}
  printf '"%s"' "$v"
}

# The user's configuration folder, seen through links, with a copy of the
# program's own settings file in which the demo's port replaces the user's.
user_config="${XDG_CONFIG_HOME:-$HOME/.config}"
config="$run/config"
mkdir -p "$config/Velkaro"
if [ -d "$user_config" ]; then
  for entry in "$user_config"/* "$user_config"/.[!.]*; do
    [ -e "$entry" ] || continue
    name=$(basename "$entry")
    [ "$name" = "Velkaro" ] && continue
    ln -s "$entry" "$config/$name"
  done
fi
link="$run/telephone"
settings_in="$user_config/Velkaro/Velkaro Desktop.ini"
settings_out="$config/Velkaro/Velkaro Desktop.ini"
settings_source=$settings_in
[ -f "$settings_source" ] || settings_source=/dev/null
# The values reach awk through its environment: -v would take backslashes
# in a folder's name for escapes.
VELKARO_DEMO_PORT_NUMBER="$port" VELKARO_DEMO_DEVICE="$(ini_quote "$link")" awk '
  BEGIN { port = ENVIRON["VELKARO_DEMO_PORT_NUMBER"]; device = ENVIRON["VELKARO_DEMO_DEVICE"] }
  function flush_section() {
    if (section == "Settings" && !done_settings) { print "PortCOM=" port; done_settings = 1 }
    if (section == "Ports" && !done_ports) { print "COM" port "=" device; done_ports = 1 }
  }
  /^\[.*\][ \t\r]*$/ {
    flush_section()
    section = $0
    sub(/^\[/, "", section); sub(/\][ \t\r]*$/, "", section)
    print
    next
  }
  section == "Settings" && /^[ \t]*(PortCOM|DataDirectory)[ \t]*=/ { next }
  section == "Ports" && $0 ~ ("^[ \t]*COM" port "[ \t]*=") { next }
  { print }
  END {
    flush_section()
    if (!done_settings) { print ""; print "[Settings]"; print "PortCOM=" port }
    if (!done_ports) { print ""; print "[Ports]"; print "COM" port "=" device }
  }
' "$settings_source" >"$settings_out"

# The machine-wide part names the data folder: the demo's own.
system_config="$run/etc-xdg"
mkdir -p "$system_config/Velkaro"
printf '[Settings]\nDataDirectory=%s\n' "$(ini_quote "$demo_home/data")" >"$system_config/Velkaro/Velkaro Desktop.ini"

# The telephone, with commands on a pipe (so that it can be told to send).
mkfifo "$run/telephone.in"
exec 3<>"$run/telephone.in"
"$sim" --link "$link" --cards "$demo_home/telephone.vlx" --sample-cards --quiet \
  <&3 >"$run/telephone.out" 2>"$run/telephone.log" &
sim_pid=$!
for _ in $(seq 100); do
  [ -e "$link" ] && break
  if ! kill -0 "$sim_pid" 2>/dev/null; then
    echo "demo: the simulated telephone did not start:" >&2
    cat "$run/telephone.log" >&2
    exit 1
  fi
  sleep 0.05
done
if [ ! -e "$link" ]; then
  echo "demo: the simulated telephone did not start" >&2
  exit 1
fi

# The window "Simuliertes Telefon": the telephone's keys for a user who
# started the demo from a menu, in the program's language. Its commands go
# to the simulator's input.
# Without a stored choice both take the language of the user's locale.
language=$(awk -F= '
  /^\[.*\][ \t\r]*$/ { section = $0; next }
  section ~ /^\[Settings\]/ && $1 ~ /^[ \t]*Language[ \t]*$/ { value = $2 }
  END { print value }
' "$settings_out")
panel_lang=()
case $language in
  "") ;;
  256) panel_lang=(--lang en) ;;
  512) panel_lang=(--lang fr) ;;
  *) panel_lang=(--lang de) ;;
esac
if [ -n "$panel" ] && [ -x "$panel" ]; then
  XDG_CONFIG_HOME="$config" "$panel" "${panel_lang[@]}" >&3 2>>"$run/panel.log" &
  panel_pid=$!
fi

cat <<EOF
Velkaro Desktop demo: a simulated Velkaro R4 is connected as COM$port
($(head -n 1 "$run/telephone.out" 2>/dev/null || echo "$link")).
  - Telefon menu: send cards, dial, fetch the call list ("Anrufliste empfangen").
  - The window "Simuliertes Telefon" makes the telephone send its cards or its
    call list, lock transfers or hang up; pressing Enter here sends its cards too.
  - The demo's cards are kept in $demo_home.
EOF

# VELKARO_DEMO tells the program to say in its window what to do.
VELKARO_DEMO="$demo_home" VELKARO_DEMO_PORT="$port" \
  XDG_CONFIG_HOME="$config" XDG_CONFIG_DIRS="$system_config:${XDG_CONFIG_DIRS:-/etc/xdg}" \
  "$desktop" "$@" &
desktop_pid=$!

if [ -t 0 ]; then
  while kill -0 "$desktop_pid" 2>/dev/null; do
    if IFS= read -r -t 1 line; then
      echo send >&3
      echo "(the telephone sends its cards)"
    elif [ $? -le 128 ]; then
      break  # the terminal closed its input: just wait for the program
    fi
  done
fi
status=0
wait "$desktop_pid" || status=$?
desktop_pid=
exit $status
