#!/usr/bin/env bash
# Searching a hypertext of 10,000 pages for a word that only its last page
# holds, side by side in one run with grep over the hypertext file and over the
# text export of all its pages (best wall time of three runs each).
# usage: bench/bench_find.sh [BUILD_DIR] [PAGES]
set -euo pipefail
build=${1:-build}
pages=${2:-10000}
ovikc="$build/src/cli/ovikc"
generate="$build/bench/ovik_bench_generate"
for x in "$ovikc" "$generate"; do [ -x "$x" ] || { echo "no $x; build first" >&2; exit 1; }; done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
word=zanzibarico
"$generate" "$work/big.hqv" --pages $((pages - 1)) --pictures 0 --files 0 >/dev/null
printf 'Ultima pagina\nqui si parla di %s.\n' "$word" > "$work/ultima.txt"
"$ovikc" import --format txt --quiet "$work/ultima.txt" --into "$work/big.hqv" >/dev/null
"$ovikc" export --format txt --quiet "$work/big.hqv" "$work/all.txt" >/dev/null
best() {
  local best="" s e d
  for _ in 1 2 3; do
    s=$(date +%s.%N); "$@" >/dev/null || true; e=$(date +%s.%N)
    d=$(echo "$e - $s" | bc)
    if [ -z "$best" ] || [ "$(echo "$d < $best" | bc)" = 1 ]; then best=$d; fi
  done
  printf '%.3f' "$best"
}
found=$("$ovikc" find "$work/big.hqv" "$word" || true)
pagecount=$("$ovikc" info --json "$work/big.hqv" | grep -c '"number"' || true)
printf 'hypertext: %s pages, %s MB; text export: %s MB\n' "$pagecount" \
  "$(echo "scale=1; $(stat -c %s "$work/big.hqv") / 1048576" | bc)" \
  "$(echo "scale=1; $(stat -c %s "$work/all.txt") / 1048576" | bc)"
printf 'ovikc find prints: %s\n' "$found"
printf '%-40s %8s s\n' "ovikc find (open + match every page)" "$(best "$ovikc" find "$work/big.hqv" "$word")"
printf '%-40s %8s s\n' "grep -c over the hypertext file" "$(best grep -c "$word" "$work/big.hqv")"
printf '%-40s %8s s\n' "grep -c over the text export" "$(best grep -c "$word" "$work/all.txt")"
