#!/usr/bin/env bash
# Makes the sample hypertext from the bundled sample texts.
set -euo pipefail
OVIKC=$1
OUT=$2
mkdir -p "$(dirname "$OUT")"
rm -f "$OUT"
"$OVIKC" import --format txt --quiet "$(dirname "$0")"/../samples/*.txt -o "$OUT" >/dev/null
