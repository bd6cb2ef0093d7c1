#!/usr/bin/env bash
# Drives the real editor under a virtual display: selects a word of page 0 and
# links it to page 2 through the link window (Ctrl+F5), inserts an anchor
# (Shift+F5), saves and switches to preview (F11); checks the saved links
# with "ovikc links" and keeps screenshots (e2e-links-*.png) to look at.
# Not part of CI; run it by hand:
#   xvfb-run -a -s "-screen 0 1100x800x24" bash scripts/e2e-links.sh [BUILD]
set -euo pipefail
build=$(realpath "${1:-build}")
work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
echo "work: $work"
cp "$build/src/ui/es_hqv/esempio.hqv" "$work/libro.hqv"
export XDG_CONFIG_HOME="$work/config"
source "$(dirname "$0")/e2e-common.sh"
start_editor "$build" "$work/libro.hqv"
sleep 1
shot() { import -window root "$build/e2e-links-$1.png" 2>/dev/null || true; }
xdotool mousemove --window "$win" 600 200 click 1
sleep 0.3
xdotool key --window "$win" ctrl+End
# A paragraph of its own: text typed at the end of the last link would extend it.
xdotool key --window "$win" Return
xdotool type --window "$win" --delay 30 "collegamento"
xdotool key --window "$win" ctrl+shift+Left
sleep 0.2
xdotool key --window "$win" ctrl+F5
sleep 1
shot 1-window
# The link window (modal) opens on the page tab with the page list focused:
# page 2.
focus_window "Collega a"
xdotool key Home Down Down
xdotool key Return
sleep 0.5
focus_window libro.hqv
xdotool key --window "$win" ctrl+End
xdotool key --window "$win" shift+F5
sleep 0.8
focus_window Ancora
xdotool key Return   # the anchor window: its default name
sleep 0.3
focus_window libro.hqv
xdotool key --window "$win" ctrl+s
sleep 1
xdotool key --window "$win" F11
sleep 0.5
shot 2-preview
links=$("$build/src/cli/ovikc" links "$work/libro.hqv" --pages 0)
echo "$links"
fail=0
grep -q "^0	text	00000002	" <<<"$links" || { echo "FAIL: no link to page 2"; fail=1; }
grep -q "^0	marker	.*Ancora: a" <<<"$links" || { echo "FAIL: no anchor"; fail=1; }
xdotool key --window "$win" alt+x 2>/dev/null || true
for i in $(seq 25); do kill -0 $pid 2>/dev/null || break; sleep 0.2; done
kill $pid 2>/dev/null || true
[ $fail = 0 ] && echo "PASS (screenshots: $build/e2e-links-*.png)"
exit $fail
