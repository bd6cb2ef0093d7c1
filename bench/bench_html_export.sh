#!/usr/bin/env bash
# HTML export of a generated hypertext (pages of styled text, each with one
# group of placed objects: pictures with zones, tables, forms, ...), beside
# `cp -r` of the exported folder and, when it is installed, CherryTree's
# command-line HTML export of a document made from the same pages.
# usage: bench/bench_html_export.sh [BUILD_DIR] [PAGES]     (default build, 10000)
# OVIK_BENCH_NO_PEER=1 leaves the peer out (its export of 10,000 pages takes many minutes).
set -euo pipefail
BUILD=${1:-build}
PAGES=${2:-10000}
OVIKC=$BUILD/src/cli/ovikc
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
t() { local s e; s=$(date +%s.%N); "$@" >/dev/null 2>&1; e=$(date +%s.%N); echo "$e - $s" | bc; }
"$BUILD/bench/ovik_bench_generate" "$work/doc.hqv" --pages "$PAGES" --pictures 40 --files 8 --file-kb 64 \
  --all-kinds >/dev/null
exp_time=$(t "$OVIKC" export --format html --quiet "$work/doc.hqv" "$work/site")
exp5_time=$(t "$OVIKC" export --format html --html5 --quiet "$work/doc.hqv" "$work/site5")
files=$(find "$work/site" -type f | wc -l)
mb=$(du -sm "$work/site" | cut -f1)
cp_time=$(t cp -r "$work/site" "$work/copy")
# Linearity: a hypertext of half the pages made the same way, exported whole
# (a page range of the big one would still export the pages its links reach).
half=$((PAGES / 2))
"$BUILD/bench/ovik_bench_generate" "$work/half.hqv" --pages "$half" --pictures 40 --files 8 --file-kb 64 \
  --all-kinds >/dev/null
exp_half=$(t "$OVIKC" export --format html --quiet "$work/half.hqv" "$work/half")
printf "%s pages: %s files, %s MB exported\n" "$PAGES" "$files" "$mb"
printf "%-48s %8s s\n" "ovikc export --format html ($PAGES pages)" "$exp_time"
printf "%-48s %8s s\n" "ovikc export --format html ($half pages)" "$exp_half"
printf "%-48s %8s s\n" "ovikc export --format html --html5 ($PAGES pages)" "$exp5_time"
printf "%-48s %8s s\n" "cp -r of the exported folder" "$cp_time"
if [ -z "${OVIK_BENCH_NO_PEER:-}" ] && command -v cherrytree >/dev/null && command -v xvfb-run >/dev/null; then
  # The peer's document is made from the exported pages (one node per page).
  "$OVIKC" export --format html --quiet --ext html "$work/doc.hqv" "$work/html"
  python3 "$(dirname "$0")/../../shared/bench/html2ctd.py" "$work/doc.ctd" "$work/html" >/dev/null
  ct_time=$(t xvfb-run -a cherrytree "$work/doc.ctd" -x "$work/ct" -w)
  printf "%-48s %8s s\n" "cherrytree -x -w (the same pages)" "$ct_time"
else
  echo "cherrytree (with xvfb-run) not installed: peer not run"
fi
