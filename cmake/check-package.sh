#!/bin/sh
# Looks at the Debian package as a user's machine would: unpacks it into a
# scratch root (dpkg -x) and checks that the programs, the desktop entry, the
# metadata, the MIME types, the manual pages and the completion are where the
# desktop and the shell look for them, that the programs are stripped and
# run, that the dependencies were found, and that lintian, appstreamcli and
# desktop-file-validate find no error.
# usage: check-package.sh PACKAGE.deb
set -eu
deb=$1
[ -f "$deb" ] || { echo "no package: $deb"; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT INT TERM
root="$scratch/root"
# Whatever the programs start, their settings and data stay in scratch.
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" XDG_CONFIG_DIRS="$scratch/xdg" \
  XDG_DATA_HOME="$scratch/home/.local/share" LANG=C LC_ALL=
mkdir -p "$HOME" "$root"
dpkg -x "$deb" "$root"

fail=0
say() { echo "$*"; fail=1; }
need() {
  [ "$1" "$root/$2" ] || say "missing ($1): $2"
}

for program in velkaro-desktop velkaro velkaro-phone-sim velkaro-phone-panel; do
  need -x "usr/bin/$program"
  case $(file -b "$root/usr/bin/$program") in
    *"not stripped"*) say "not stripped: usr/bin/$program" ;;
  esac
  need -f "usr/share/man/man1/$program.1.gz"
done
for f in applications/org.example.velkaro.Desktop.desktop icons/hicolor/scalable/apps/velkaro-desktop.svg \
  metainfo/org.example.velkaro.Desktop.metainfo.xml mime/packages/velkaro-desktop.xml \
  bash-completion/completions/velkaro bash-completion/completions/velkaro-phone-sim \
  doc/velkaro-desktop/copyright doc/velkaro-desktop/changelog.gz doc/velkaro-desktop/README.md.gz \
  doc-base/velkaro-desktop velkaro-desktop/demo.sh \
  doc/velkaro-desktop/manual/de/index.html doc/velkaro-desktop/manual/en/index.html \
  doc/velkaro-desktop/manual/fr/index.html; do
  need -f "usr/share/$f"
done

# The programs run from where the package puts them, and say the package's
# version; the desktop program answers --version without a display.
version=$(dpkg-deb -f "$deb" Version)
"$root/usr/bin/velkaro" --version | grep -qxF "Velkaro Desktop $version" || say "usr/bin/velkaro does not run"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/velkaro-desktop" --version 2>&1 \
  | grep -qxF "Velkaro Desktop $version" || say "usr/bin/velkaro-desktop --version does not answer without a display"

# dpkg-shlibdeps found the libraries.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6serialport6 libc6; do
  case $depends in
    *"$lib "*) ;;
    *) say "Depends lacks $lib: $depends" ;;
  esac
done

# The manual pages render without complaint.
for page in "$root"/usr/share/man/man1/*.1.gz; do
  out=$(MANWIDTH=80 man -l "$page" 2>&1 >/dev/null) || say "man -l $(basename "$page") fails"
  [ -z "$out" ] || say "man -l $(basename "$page"): $out"
done
MANWIDTH=80 man -l "$root/usr/share/man/man1/velkaro.1.gz" 2>/dev/null | grep -q 'EXIT STATUS' \
  || say "velkaro(1) does not document the exit status"

# A backup is known by its name once the MIME data is installed.
mkdir -p "$scratch/mime/packages"
cp "$root/usr/share/mime/packages/velkaro-desktop.xml" "$scratch/mime/packages/"
update-mime-database "$scratch/mime" >/dev/null 2>&1 || say "update-mime-database rejects the MIME data"
grep -qx 'application/x-velkaro-backup:\*.vlx' "$scratch/mime/globs" || say "*.vlx is not application/x-velkaro-backup"
grep -q '^MimeType=.*application/x-velkaro-backup;' "$root/usr/share/applications/org.example.velkaro.Desktop.desktop" \
  || say "the desktop entry does not name application/x-velkaro-backup"

desktop-file-validate "$root/usr/share/applications/org.example.velkaro.Desktop.desktop" || say "desktop-file-validate fails"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.example.velkaro.Desktop.metainfo.xml" >"$scratch/as.log" 2>&1 \
  || { cat "$scratch/as.log"; say "appstreamcli validate fails"; }

# The manual page and the completion know every command, option and export
# format the program's help names, and the completion offers the files by
# what each command reads.
velkaro="$root/usr/bin/velkaro"
touch "$scratch/a.itx" "$scratch/b.vlx" "$scratch/c.csv" "$scratch/d.vcf"
page=$(MANWIDTH=200 man -l "$root/usr/share/man/man1/velkaro.1.gz" 2>/dev/null)
offers() {
  (cd "$scratch" && PATH="$root/usr/bin:$PATH" bash -c '
    _init_completion() { cur=${COMP_WORDS[COMP_CWORD]}; prev=${COMP_WORDS[COMP_CWORD-1]}; words=("${COMP_WORDS[@]}"); cword=$COMP_CWORD; }
    _filedir() { local pattern=${1:-*}; shopt -s extglob nullglob; COMPREPLY=($cur*.$pattern); [ "$pattern" = "*" ] && COMPREPLY=($cur*); }
    . "$1"; shift
    COMP_WORDS=(velkaro "$@"); COMP_CWORD=$#; _velkaro; echo " ${COMPREPLY[*]} "
  ' sh "$root/usr/share/bash-completion/completions/velkaro" "$@")
}
commands=$("$velkaro" --help | sed -n '/^commands:$/,/^$/s/^  \([a-z-]*\) .*/\1/p')
[ -n "$commands" ] || say "velkaro --help lists no commands"
all=$(offers "")
for cmd in $commands; do
  printf '%s\n' "$page" | grep -qE "^ +$cmd( |$)" || say "velkaro(1) does not describe $cmd"
  case $all in *" $cmd "*) ;; *) say "the completion does not offer $cmd" ;; esac
  options=$(offers "$cmd" -)
  for option in $("$velkaro" help "$cmd" | head -n 1 | grep -oE '(^|[ [|])--?[a-z][a-z-]*' | tr -d ' [|'); do
    printf '%s\n' "$page" | grep -qF -- "$option" || say "velkaro(1) does not name $cmd $option"
    case $options in *" $option "*) ;; *) say "the completion does not offer $cmd $option" ;; esac
  done
done
formats=$("$velkaro" help export | head -n 1 | sed -n 's/.*--format \([a-z0-9|-]*\).*/\1/p' | tr '|' ' ')
[ -n "$formats" ] || say "velkaro help export names no format"
[ "$(offers export x.itx --format "")" = " $formats " ] || say "the completion offers other formats than: $formats"
printf '%s\n' "$page" | grep -qF -- "$(echo $formats | tr ' ' '|')" || say "velkaro(1) does not name the formats $formats"
[ "$(offers import "")" = " c.csv d.vcf " ] || say "velkaro import does not complete to c.csv and d.vcf"
[ "$(offers cards "")" = " a.itx b.vlx " ] || say "velkaro cards does not complete to a.itx and b.vlx"
[ "$(cd "$scratch" && bash -c '
  _init_completion() { cur=${COMP_WORDS[COMP_CWORD]}; prev=${COMP_WORDS[COMP_CWORD-1]}; }
  . "$1"; COMP_WORDS=(velkaro-phone-sim --sample); COMP_CWORD=1; _velkaro_phone_sim; echo "${COMPREPLY[*]}"
' sh "$root/usr/share/bash-completion/completions/velkaro-phone-sim")" = --sample-cards ] \
  || say "the completion of velkaro-phone-sim does not offer --sample-cards"
"$root/usr/bin/velkaro-phone-sim" --version | grep -qxF "Velkaro Desktop $version" || say "usr/bin/velkaro-phone-sim does not run"

# The demo the manual describes runs from the package: its script and the
# simulated telephone's programs are where velkaro-desktop --demo finds them.
bash -n "$root/usr/share/velkaro-desktop/demo.sh" || say "the demo script does not parse"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/velkaro-desktop" --help 2>&1 | grep -q -- '--demo' \
  || say "velkaro-desktop --help does not offer --demo"

# One reverse-DNS id for the metadata and the desktop entry.
id=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "$root/usr/share/metainfo/"*.metainfo.xml)
need -f "usr/share/applications/$id.desktop"
need -f "usr/share/metainfo/$id.metainfo.xml"

# No lintian error; of the pedantic tags only those that name German and
# French words of the string tables as misspelt English remain.
lintian --fail-on error "$deb" >"$scratch/lintian.log" 2>&1 || { grep -v '^running with root' "$scratch/lintian.log"; say "lintian finds errors"; }
lintian --pedantic -I "$deb" 2>/dev/null | grep -v -e '^running with root' -e '^N:' -e ' spelling-error-in-binary ' \
  >"$scratch/pedantic.log" || true
[ ! -s "$scratch/pedantic.log" ] || { cat "$scratch/pedantic.log"; say "lintian --pedantic finds more than the string tables' words"; }

[ "$fail" = 0 ] && echo "package $(basename "$deb"): layout, programs, metadata and lintian in order"
exit "$fail"
