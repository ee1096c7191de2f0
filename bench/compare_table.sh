#!/usr/bin/env bash
# `velkaro table` beside Python's csv module and DuckDB's CSV reader on the
# same semicolon files, in Windows-1252 and in UTF-8, and `velkaro import` of
# each file: seconds of processor time (user + system, which a busy machine
# does not inflate as it does the wall clock), the median of three runs, and
# the peak memory of each, from GNU time. The outputs of velkaro and Python
# are compared byte for byte; DuckDB, on one thread, reads every field as
# text and sums a hash of each row, so that every field is made.
# Then velkaro table of the same rows as an .xlsx and an .ods workbook, up
# to 100 000 rows: time and peak memory.
#   bench/compare_table.sh [VELKARO] [ROWS...]
# VELKARO defaults to build/cli/velkaro; ROWS to 10000 100000 1000000.
# DuckDB comes from npm (@duckdb/node-api), installed once into
# bench-duckdb/ beside VELKARO's build folder; without npm or the network
# its columns stay empty.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
velkaro=$(realpath "${1:-build/cli/velkaro}")
shift || true
rows=("$@")
[ ${#rows[@]} -eq 0 ] && rows=(10000 100000 1000000)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_CONFIG_DIRS="$work/etc" XDG_DATA_HOME="$work/home/.local/share"
mkdir -p "$HOME"

duckdb="$(dirname "$(dirname "$velkaro")")/bench-duckdb"
if [ ! -d "$duckdb/node_modules/@duckdb/node-api" ]; then
    mkdir -p "$duckdb"
    if ! (cd "$duckdb" && npm_config_cache="$duckdb/.npm" npm install --no-audit --no-fund --silent @duckdb/node-api >/dev/null 2>&1); then
        echo "npm could not install @duckdb/node-api: DuckDB is left out" >&2
        duckdb=""
    fi
fi
[ -n "$duckdb" ] && cp "$here/csv_duckdb.mjs" "$duckdb/"

once() {  # command... ; prints "cpu_seconds peak_KiB"
    /usr/bin/time -f '%U %S %M' -o "$work/time" "$@" >"$work/out" 2>/dev/null
    awk '{ printf "%.3f %d\n", $1 + $2, $3 }' "$work/time"
}
measure() {  # the median of three runs by processor time
    for _ in 1 2 3; do once "$@"; done | sort -n | sed -n 2p
}

printf '| rows | text | file MB | `velkaro table` s | peak MB | Python `csv` s | peak MB | DuckDB s | peak MB | table/DuckDB | `velkaro import` s | peak / file |\n'
printf '|---:|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n'
for n in "${rows[@]}"; do
    for enc in cp1252 utf-8; do
        file="$work/rows$n.csv"
        python3 "$here/csv_python.py" make "$n" "$file" "$enc"
        read -r vs vm < <(measure "$velkaro" table "$file")
        mv "$work/out" "$work/velkaro.out"
        read -r ps pm < <(measure python3 "$here/csv_python.py" read "$file" "$enc")
        cmp -s "$work/out" "$work/velkaro.out" || echo "outputs differ for $n rows in $enc" >&2
        ds=0 dm=0
        if [ -n "$duckdb" ]; then
            read -r ds dm < <(cd "$duckdb" && measure node csv_duckdb.mjs "$file" "$([ "$enc" = utf-8 ] && echo utf-8 || echo latin-1)")
        fi
        # Into a new archive each time; exec leaves velkaro as the process measured.
        read -r is im < <(measure bash -c 'rm -f "$2"; exec "$0" import "$1" --into "$2" --skip-first' \
                              "$velkaro" "$file" "$work/book.vlx")
        size=$(stat -c %s "$file")
        awk -v n="$n" -v e="$enc" -v s="$size" -v vs="$vs" -v vm="$vm" -v ps="$ps" -v pm="$pm" \
            -v ds="$ds" -v dm="$dm" -v is="$is" -v im="$im" 'BEGIN {
            d = ds > 0 ? sprintf("%.2f | %.0f | %.2f", ds, dm / 1024, vs / ds) : "— | — | —"
            printf "| %d | %s | %.1f | %.2f | %.0f | %.2f | %.0f | %s | %.2f | %.2f |\n",
                n, e, s / 1e6, vs, vm / 1024, ps, pm / 1024, d, is, im * 1024 / s }'
        rm -f "$file"
    done
done

printf '\n| rows | workbook | file MB | `velkaro table` s | peak MB |\n|---:|---|---:|---:|---:|\n'
for n in "${rows[@]}"; do
    [ "$n" -gt 100000 ] && continue
    for kind in xlsx ods; do
        file="$work/rows$n.$kind"
        python3 "$here/csv_python.py" "$kind" "$n" "$file"
        read -r ws wm < <(measure "$velkaro" table "$file")
        awk -v n="$n" -v k="$kind" -v s="$(stat -c %s "$file")" -v ws="$ws" -v wm="$wm" 'BEGIN {
            printf "| %d | %s | %.1f | %.2f | %.0f |\n", n, k, s / 1e6, ws, wm / 1024 }'
        rm -f "$file"
    done
done
