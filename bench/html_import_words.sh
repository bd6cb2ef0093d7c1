#!/usr/bin/env bash
# Word check of the HTML import against pandoc: each HTML file under FOLDER is
# imported alone into a new hypertext, exported as text, and the words (runs
# of ASCII letters and digits) of `pandoc -t plain` of the same file are
# looked for in it. The text export joins the paragraphs of a table cell
# without a blank, so a word counts as found as many times as it occurs in
# the text, inside other words too. Prints one line per page that misses more than 1% of
# pandoc's words, then a summary; exit status 1 when any page does.
#
#   bench/html_import_words.sh [OVIKC] [FOLDER]
# Defaults: build/src/cli/ovikc and Debian's Python documentation (python3-doc).
set -euo pipefail
OVIKC="$(realpath "${1:-build/src/cli/ovikc}")"
FOLDER="${2:-$(ls -d /usr/share/doc/python3.*/html | head -1)}"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
find -L "$FOLDER" -name '*.html' | sort > "$WORK/files"
while read -r f; do
  n=$((${n:-0} + 1))
  "$OVIKC" import --format html "$f" -o "$WORK/p.hqv" --quiet >/dev/null 2>"$WORK/err" || {
    echo "FAILED $f: $(cat "$WORK/err")"; rm -f "$WORK/p.hqv"; continue; }
  "$OVIKC" export --format txt "$WORK/p.hqv" "$WORK/ovik.txt" --quiet
  rm -f "$WORK/p.hqv"
  pandoc -f html -t plain --wrap=none "$f" -o "$WORK/pandoc.txt" 2>/dev/null || true
  python3 - "$f" "$WORK/ovik.txt" "$WORK/pandoc.txt" >> "$WORK/report" <<'PY'
import collections, re, sys
name, ours, theirs = sys.argv[1:4]
words = lambda t: collections.Counter(re.findall(r"[A-Za-z0-9]+", t))
text = open(ours, encoding="cp1252", errors="replace").read()
b = words(open(theirs, encoding="utf-8", errors="replace").read())
total = sum(b.values())
missing = sum(max(0, n - text.count(w)) for w, n in b.items())
print(f"{missing / total * 100 if total else 0:.3f} {missing} {total} {name}")
PY
done < "$WORK/files"
bad=$(awk '$1 > 1.0' "$WORK/report" | sort -rn)
[ -n "$bad" ] && echo "$bad"
echo "$(wc -l < "$WORK/report") pages compared; $(awk '$1 > 1.0' "$WORK/report" | wc -l) miss more than 1% of pandoc's words; worst: $(sort -rn "$WORK/report" | head -1)"
[ -z "$bad" ]
