#!/usr/bin/env bash
# Opens files written by CSpreadsheetWriter in LibreOffice (headless
# conversion to CSV) and compares every cell with what was written.
# Needs libreoffice-calc-nogui; run by hand after a build:
#   tests/exchange/writer_check/check_with_libreoffice.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
build=${1:-$root/build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

c++ -std=c++20 -I"$root" "$here/writer_sample.cpp" \
  "$build/exchange/libvelkaro_exchange.a" "$build/model/libvelkaro_model.a" "$build/text/libvelkaro_text.a" \
  -o "$work/writer_sample"
"$work/writer_sample" "$work"

export HOME="$work/home"
mkdir -p "$HOME"
status=0
for xls in "$work"/*.xls; do
  name=$(basename "$xls" .xls)
  # UTF-8 (76), comma separated, every text cell quoted only when needed.
  soffice --headless --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76' --outdir "$work/lo" "$xls" >/dev/null 2>&1
  # LibreOffice writes one empty line for an empty sheet: compare without
  # trailing empty lines.
  norm() { tr -d '\r' < "$1" | sed -e :a -e '/^\n*$/{$d;N;ba' -e '}'; }
  if cmp -s <(norm "$work/lo/$name.csv") <(norm "$work/$name.expected.csv"); then
    echo "$name: every cell as written"
  else
    echo "$name: differs"
    diff <(norm "$work/lo/$name.csv") <(norm "$work/$name.expected.csv") | head -20
    status=1
  fi
done
exit $status
