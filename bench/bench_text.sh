#!/usr/bin/env bash
# Plain-text import and export throughput on a large text file, beside `cp` of
# the same file (the limit the converters can approach), in one run.
# usage: bench/bench_text.sh [OVIKC] [SIZE_MB]
set -euo pipefail
OVIKC=${1:-build/src/cli/ovikc}
MB=${2:-50}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
src="$work/big.txt"
# Real prose from installed documentation, repeated to the size asked for.
seed=$(ls /usr/share/vim/vim*/doc/*.txt 2>/dev/null | head -20 || true)
if [ -z "$seed" ]; then seed=$(ls /usr/share/common-licenses/*); fi
while [ "$(stat -c %s "$src" 2>/dev/null || echo 0)" -lt $((MB * 1024 * 1024)) ]; do
  cat $seed >> "$src"
done
size=$(stat -c %s "$src")
t() { local s e; s=$(date +%s.%N); "$@" >/dev/null; e=$(date +%s.%N); echo "$e - $s" | bc; }
cp_time=$(t cp "$src" "$work/copy.txt")
imp_time=$(t "$OVIKC" import --format txt --quiet "$src" -o "$work/big.hqv")
exp_time=$(t "$OVIKC" export --format txt --quiet "$work/big.hqv" "$work/out.txt")
mb=$(echo "scale=1; $size / 1048576" | bc)
printf "text file: %s MB\n" "$mb"
printf "%-28s %8s s %10s MB/s\n" "cp" "$cp_time" "$(echo "scale=1; $mb / $cp_time" | bc)"
printf "%-28s %8s s %10s MB/s\n" "ovikc import (open+save)" "$imp_time" "$(echo "scale=1; $mb / $imp_time" | bc)"
printf "%-28s %8s s %10s MB/s\n" "ovikc export (open+write)" "$exp_time" "$(echo "scale=1; $mb / $exp_time" | bc)"
