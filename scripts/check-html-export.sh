#!/usr/bin/env bash
# Exports the sample hypertext and a generated hypertext holding every kind of
# placed object as HTML sites (with both file-name layouts), then checks each
# site in headless Chromium: every page loads, every internal reference names
# an exported file, every picture decodes. Both outputs are checked: the
# faithful pages and the HTML5 ones (--html5).
#
#   scripts/check-html-export.sh [BUILD_DIR]     (PAGES=N sets the generated size, default 150)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
pages="${PAGES:-150}"
ovikc="$build/src/cli/ovikc"
generate="$build/bench/ovik_bench_generate"
sample="$build/src/ui/es_hqv/esempio.hqv"
chromium="$(command -v chromium || command -v chromium-browser || true)"
[ -n "$chromium" ] || { echo "chromium is missing: run scripts/setup-debian.sh" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

check() {  # name, hypertext, export options...
  local name="$1" hqv="$2"
  shift 2
  "$ovikc" export --format html --quiet "$@" "$hqv" "$work/$name"
  python3 scripts/check_html_site.py --chromium "$chromium" "$work/$name"
}

if [ -f "$sample" ]; then
  check sample "$sample"
  check sample-html5 "$sample" --html5
else
  echo "no sample hypertext in $build (built with the editor): skipped" >&2
fi
"$generate" "$work/all.hqv" --pages "$pages" --pictures 12 --files 4 --file-kb 16 --all-kinds >/dev/null
check generated "$work/all.hqv"
check generated-images "$work/all.hqv" --images-folder --original-names --ext html --emulate-ff
check generated-html5 "$work/all.hqv" --html5
echo "HTML export checked in Chromium"
