#!/usr/bin/env bash
# `velkaro table` beside Python's csv module on the same semicolon files:
# seconds of processor time (user + system, which a busy machine does not
# inflate as it does the wall clock), their ratio and the peak memory of
# each, from GNU time. The outputs are compared byte for byte.
#   bench/compare_table.sh [VELKARO] [ROWS...]
# VELKARO defaults to build/cli/velkaro; ROWS to 10000 100000 435000
# (435000 rows make a 50 MB file) 1000000 1740000 (200 MB).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
velkaro=$(realpath "${1:-build/cli/velkaro}")
shift || true
rows=("$@")
[ ${#rows[@]} -eq 0 ] && rows=(10000 100000 435000 1000000 1740000)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_CONFIG_DIRS="$work/etc" XDG_DATA_HOME="$work/home/.local/share"
mkdir -p "$HOME"

measure() {  # command... ; prints "cpu_seconds peak_KiB"
    /usr/bin/time -f '%U %S %M' -o "$work/time" "$@" >"$work/out" 2>/dev/null
    awk '{ printf "%.2f %d\n", $1 + $2, $3 }' "$work/time"
}

printf '| rows | file MB | velkaro table s | peak MB | Python csv s | peak MB | ratio |\n'
printf '|---:|---:|---:|---:|---:|---:|---:|\n'
for n in "${rows[@]}"; do
    file="$work/rows$n.csv"
    python3 "$here/csv_python.py" make "$n" "$file"
    read -r vs vm < <(measure "$velkaro" table "$file")
    mv "$work/out" "$work/velkaro.out"
    read -r ps pm < <(measure python3 "$here/csv_python.py" read "$file")
    cmp -s "$work/out" "$work/velkaro.out" || echo "outputs differ for $n rows" >&2
    size=$(stat -c %s "$file")
    awk -v n="$n" -v s="$size" -v vs="$vs" -v vm="$vm" -v ps="$ps" -v pm="$pm" 'BEGIN {
        printf "| %d | %.1f | %.2f | %.0f | %.2f | %.0f | %.2f |\n", n, s / 1e6, vs, vm / 1024, ps, pm / 1024, (ps > 0 ? vs / ps : 0) }'
    rm -f "$file"
done
