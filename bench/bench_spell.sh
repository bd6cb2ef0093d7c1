#!/usr/bin/env bash
# Spell checking throughput: `ovikc spell` (without and with suggestions) over every page of a generated
# hypertext of about 1,000,000 words, beside `hunspell -l` on the text export of
# the same pages (the same dictionary doing the same work), in one run. Reports
# words per second and peak memory of both.
# The text is made of the Italian dictionary's own words with one in fifty
# misspelt, in paragraphs of about 60 words, 100 pages.
# usage: bench/bench_spell.sh [BUILD] [WORDS]
set -euo pipefail
build=$(realpath "${1:-build}")
WORDS=${2:-1000000}
OVIKC="$build/src/cli/ovikc"
DIC=/usr/share/hunspell/it_IT.dic
command -v hunspell >/dev/null || { echo "hunspell (the command) is not installed"; exit 1; }
[ -f "$DIC" ] || { echo "no Italian dictionary ($DIC)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"   # no user dictionary of the person running it

# The words: the dictionary's stems (flags dropped), in Windows-1252 for the
# import; 100 text files of WORDS/100 words each, one page per file.
tail -n +2 "$DIC" | cut -d/ -f1 | grep -v "[^[:alpha:]']" | shuf -n 20000 --random-source=<(yes) \
  | iconv -f UTF-8 -t WINDOWS-1252//TRANSLIT > "$work/words.txt"
mkdir "$work/pages"
awk -v words="$WORDS" -v dir="$work/pages" 'BEGIN { srand(7) }
  { w[NR] = $0 } END {
    per = int(words / 100); n = NR
    for (p = 0; p < 100; p++) {
      f = sprintf("%s/p%03d.txt", dir, p); line = ""
      for (i = 1; i <= per; i++) {
        x = w[int(rand() * n) + 1]
        if (rand() < 0.02) x = x "zq"        # a misspelling
        line = line (line == "" ? "" : " ") x
        if (i % 60 == 0) { print line "." > f; line = "" }
      }
      if (line != "") print line "." > f
      close(f)
    }
  }' "$work/words.txt"
"$OVIKC" import --format txt --quiet "$work"/pages/*.txt -o "$work/big.hqv" >/dev/null
"$OVIKC" export --format txt --quiet "$work/big.hqv" "$work/export.txt" >/dev/null
iconv -f WINDOWS-1252 -t UTF-8 "$work/export.txt" > "$work/export-utf8.txt"
words=$(wc -w < "$work/export-utf8.txt")

measure() {  # name, words, command...: wall seconds and peak resident KB
  local name=$1 n=$2; shift 2
  /usr/bin/time -f "%e %M" -o "$work/time" "$@" > "$work/$name.out" 2>/dev/null || true
  read -r secs kb < <(tail -1 "$work/time")  # after "Command exited with non-zero status"
  printf "%-40s %8.2f s %12.0f words/s %8d MB peak\n" "$name" "$secs" \
    "$(echo "$n / ($secs + 0.001)" | bc -l)" "$((kb / 1024))"
}
printf "hypertext: %s words in %s pages, %s MB\n" "$words" \
  "$(ls "$work"/pages | wc -l)" "$(( $(stat -c %s "$work/big.hqv") / 1048576 ))"
measure "ovikc spell --no-suggestions" "$words" "$OVIKC" spell "$work/big.hqv" --lang 1040 --quiet --no-suggestions
measure "hunspell -l -d it_IT (export)" "$words" hunspell -l -d it_IT -i UTF-8 "$work/export-utf8.txt"
# Suggestions cost far more than verification: three per error, on 5 pages.
measure "ovikc spell, suggestions, pages 0-4" "$((words / 20))" "$OVIKC" spell "$work/big.hqv" --lang 1040 \
  --quiet --pages 0-4
printf "errors: ovikc %s, hunspell %s\n" "$(wc -l < "$work/ovikc spell --no-suggestions.out")" \
  "$(wc -l < "$work/hunspell -l -d it_IT (export).out")"
