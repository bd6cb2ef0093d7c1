#!/usr/bin/env bash
# HTML import of a whole site with link following, beside pandoc converting
# the same pages to plain text and `cat` of the files, in one run. The site is
# Debian's Python documentation (package python3-doc) unless one is given.
# usage: bench/bench_html_import.sh [OVIKC] [START_FILE]
set -euo pipefail
OVIKC=${1:-build/src/cli/ovikc}
START=${2:-$(ls -d /usr/share/doc/python3.*/html | head -1)/index.html}
FOLDER=$(dirname "$START")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
find -L "$FOLDER" -name '*.htm*' | sort > "$work/files"
count=$(wc -l < "$work/files")
bytes=$(xargs cat < "$work/files" | wc -c)
t() { local s e; s=$(date +%s.%N); "$@" >/dev/null 2>&1; e=$(date +%s.%N); echo "$e - $s" | bc; }
cat_time=$(t sh -c "xargs cat < '$work/files' > '$work/all'")
imp_time=$(t "$OVIKC" import --format html --quiet "$START" -o "$work/site.hqv" --follow-links 200)
pages=$("$OVIKC" info "$work/site.hqv" | awk '/testoHtml/ {print $4}')
pandoc_time=$(t sh -c "while read -r f; do pandoc -f html -t plain \"\$f\" -o '$work/p.txt'; done < '$work/files'")
printf "site: %s files, %s MB; %s pages imported\n" "$count" "$(echo "scale=1; $bytes / 1048576" | bc)" "$pages"
printf "%-44s %8s s\n" "cat of the files" "$cat_time"
printf "%-44s %8s s\n" "ovikc import --follow-links (read+save)" "$imp_time"
printf "%-44s %8s s\n" "pandoc -t plain, file by file" "$pandoc_time"
