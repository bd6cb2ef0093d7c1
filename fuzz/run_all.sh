#!/usr/bin/env bash
# Builds every libFuzzer target with clang and runs each one over its seeds for
# SECONDS (default 600), one after the other, then prints one line per target:
# runs, runs per second and whether it found anything. Findings are written to
# build-fuzz/findings/<target>/; keep a real crash input under
# tests/fuzz_regressions/<target>/ once it is fixed.
#
#   fuzz/run_all.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH="${1:-600}"
shift || true
ALL=(fuzz_frame_layout fuzz_hqv_file fuzz_html fuzz_markup fuzz_object_stream fuzz_objects_data fuzz_picture)
if [ "$#" -gt 0 ]; then TARGETS=("$@"); else TARGETS=("${ALL[@]}"); fi

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DOVIK_FUZZ=ON -DOVIK_BUILD_UI=OFF \
  -DOVIK_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target "${TARGETS[@]}" >/dev/null

summary=()
for t in "${TARGETS[@]}"; do
  name="${t#fuzz_}"
  work="build-fuzz/corpus/$name"
  findings="build-fuzz/findings/$name"
  mkdir -p "$work" "$findings"
  seeds=()
  [ -d "fuzz/seeds/$name" ] && seeds+=("fuzz/seeds/$name")
  [ -d "tests/fuzz_regressions/$name" ] && seeds+=("tests/fuzz_regressions/$name")
  log="build-fuzz/$t.log"
  status=ok
  "build-fuzz/fuzz/$t" -max_total_time="$SECONDS_EACH" -max_len=65536 -rss_limit_mb=2048 \
    -timeout=30 -print_final_stats=1 -artifact_prefix="$findings/" "$work" "${seeds[@]}" \
    >"$log" 2>&1 || status=FINDING
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
  peak=$(grep -o 'stat::peak_rss_mb: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo ?)
  rate=$(( ${runs:-0} / SECONDS_EACH ))
  line="$t: $runs runs in ${SECONDS_EACH} s ($rate/s), peak ${peak} MB, $status"
  echo "$line"
  summary+=("$line")
done
printf '%s\n' "${summary[@]}" > build-fuzz/summary.txt
