#!/bin/sh
# Installs a build tree into a scratch prefix and checks that the programs,
# the desktop entry, the icon and the manual are where the desktop and the
# program's Help look for them.
# usage: check-install.sh CMAKE BUILD_DIR BINDIR DATADIR MANUALDIR MANUAL_FROM_BINDIR GUI
set -eu
cmake=$1 build=$2 bindir=$3 datadir=$4 manualdir=$5 manual_from_bin=$6 gui=$7

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT INT TERM
"$cmake" --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 || { cat "$prefix.log"; rm -f "$prefix.log"; exit 1; }
rm -f "$prefix.log"

fail=0
need() {
  if [ ! "$1" "$2" ]; then
    echo "missing ($1): ${2#"$prefix"/}"
    fail=1
  fi
}

need -x "$prefix/$bindir/velkaro"
need -x "$prefix/$bindir/velkaro-phone-sim"
"$prefix/$bindir/velkaro" --version >/dev/null || { echo "installed velkaro does not run"; fail=1; }
# The sync's user service and timer, the service starting velkaro sync.
need -f "$prefix/lib/systemd/user/velkaro-sync.timer"
need -f "$prefix/lib/systemd/user/velkaro-sync.service"
if [ -f "$prefix/lib/systemd/user/velkaro-sync.service" ]; then
  grep -q "^ExecStart=velkaro sync" "$prefix/lib/systemd/user/velkaro-sync.service" \
    || { echo "velkaro-sync.service does not start velkaro sync"; fail=1; }
fi

if [ "$gui" = 1 ]; then
  need -x "$prefix/$bindir/velkaro-desktop"
  entry="$prefix/$datadir/applications/org.example.velkaro.Desktop.desktop"
  need -f "$entry"
  need -f "$prefix/$datadir/icons/hicolor/scalable/apps/velkaro-desktop.svg"
  for size in 16 24 32 48 64 128 256; do
    need -f "$prefix/$datadir/icons/hicolor/${size}x${size}/apps/velkaro-desktop.png"
  done
  if [ -f "$entry" ]; then
    grep -qx 'Exec=velkaro-desktop %f' "$entry" || { echo "desktop entry: Exec is not velkaro-desktop with a file"; fail=1; }
    grep -qx 'Icon=velkaro-desktop' "$entry" || { echo "desktop entry: Icon is not velkaro-desktop"; fail=1; }
    grep -qx 'Type=Application' "$entry" || { echo "desktop entry: not an application"; fail=1; }
  fi
  # --help and --version answer without a display and open no window.
  help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$prefix" XDG_CONFIG_HOME="$prefix/config" \
    XDG_CONFIG_DIRS="$prefix/xdg" XDG_DATA_HOME="$prefix/data" timeout 30 "$prefix/$bindir/velkaro-desktop" --help 2>&1) \
    || { echo "velkaro-desktop --help fails: $help"; fail=1; }
  case $help in
    "usage: velkaro-desktop [--demo] [FILE.vlx]"*) ;;
    *) echo "velkaro-desktop --help does not print its usage: $help"; fail=1 ;;
  esac
  for lang in de en fr; do
    need -f "$prefix/$manualdir/$lang/index.html"
    # The place the program computes from its own folder.
    need -f "$prefix/$bindir/$manual_from_bin/$lang/index.html"
  done
  need -f "$prefix/$manualdir/manual.css"
fi

[ "$fail" = 0 ] && echo "installed into a scratch prefix: all in place"
exit "$fail"
