#!/usr/bin/env bash
# Opening and saving a large hypertext, side by side with what the disk alone
# costs for the same bytes:
#   open                   ovikc info FILE              cat FILE > /dev/null
#   save to another name   ovikc resave FILE OTHER      cp FILE OTHER && sync
#   save to the same file  ovikc resave COPY COPY       cp COPY OTHER && sync
# Each line is run RUNS times with the file in the page cache (it is read once
# first); the table gives the best wall time and the largest peak resident
# memory of the runs (/usr/bin/time).
#
# usage: bench/bench_open_save.sh [HQV] [--build DIR] [--runs N]
# Without HQV, or when HQV does not exist yet, a hypertext of about 200 MB is
# made first with ovik_bench_generate (2,000 pages, 300 pictures, 60 files).
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
build="$here/../build"
runs=3
hqv=""
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build="$2"; shift 2 ;;
    --runs) runs="$2"; shift 2 ;;
    -h|--help) sed -n '2,14p' "$0"; exit 0 ;;
    *) hqv="$1"; shift ;;
  esac
done
ovikc="$build/src/cli/ovikc"
generate="$build/bench/ovik_bench_generate"
[ -x "$ovikc" ] || { echo "no ovikc in $build (build first)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 1; }

work="${TMPDIR:-/tmp}/ovik_bench"
mkdir -p "$work"
if [ -z "$hqv" ]; then hqv="$work/large.hqv"; fi
if [ ! -f "$hqv" ]; then
  [ -x "$generate" ] || { echo "no ovik_bench_generate in $build" >&2; exit 1; }
  echo "Generating $hqv ..."
  "$generate" "$hqv"
fi

copy="$work/bench_same.hqv"
other="$work/bench_other.hqv"
reference="$work/bench_cp.hqv"
timing="$work/time.txt"
cleanup() { rm -f "$copy" "$other" "$reference" "${copy%.hqv}.bak" "${other%.hqv}.bak" "$timing"; }
trap cleanup EXIT

# measure NAME PREPARE COMMAND...: runs PREPARE (untimed) then COMMAND, RUNS
# times; sets best (seconds) and peak (MB).
measure() {
  local prepare="$2"; shift 2
  best=""; peak=0
  for _ in $(seq "$runs"); do
    eval "$prepare"
    sync
    /usr/bin/time -f "%e %M" -o "$timing" "$@" > /dev/null
    read -r secs kb < "$timing"
    if [ -z "$best" ] || awk "BEGIN{exit !($secs < $best)}"; then best="$secs"; fi
    if [ "$kb" -gt "$peak" ]; then peak="$kb"; fi
  done
  peak=$((peak / 1024))
}

cat "$hqv" > /dev/null  # into the page cache
size_mb=$(awk "BEGIN{printf \"%.1f\", $(stat -c %s "$hqv") / 1e6}")

row() {  # label engine-time engine-mb ref-label ref-time ref-mb
  local ratio
  ratio=$(awk "BEGIN{ if ($5 > 0) printf \"%.1fx\", $2 / $5; else print \"-\" }")
  printf "%-22s %8.2f s %7d MB   %-20s %8.2f s %7d MB   %8s\n" "$1" "$2" "$3" "$4" "$5" "$6" "$ratio"
}

echo "Hypertext: $hqv ($size_mb MB); best of $runs runs, warm page cache"
printf "%-22s %19s   %-20s %19s   %8s\n" "" "ovikc" "" "reference" "ratio"

measure open ":" "$ovikc" info "$hqv"
o_t=$best; o_m=$peak
measure cat ":" sh -c "cat '$hqv' > /dev/null"
row "open" "$o_t" "$o_m" "cat > /dev/null" "$best" "$peak"

measure save-as "rm -f '$other' '${other%.hqv}.bak'" "$ovikc" resave "$hqv" "$other"
s_t=$best; s_m=$peak
measure cp "rm -f '$reference'" sh -c "cp '$hqv' '$reference' && sync"
row "save to another name" "$s_t" "$s_m" "cp + sync" "$best" "$peak"

measure save-same "cp '$hqv' '$copy'; rm -f '${copy%.hqv}.bak'" "$ovikc" resave "$copy" "$copy"
r_t=$best; r_m=$peak
measure cp-same "rm -f '$reference'" sh -c "cp '$copy' '$reference' && sync"
row "save to the same file" "$r_t" "$r_m" "cp + sync" "$best" "$peak"
