#!/usr/bin/env bash
# Drives the real editor under a virtual display: a screenshot put on the
# clipboard (xclip) is pasted with Ctrl+V as a GIF with its background
# transparent ("Inserisci immagine:", then the picture's property window),
# three click zones are added from the picture's popup menu and the first is
# linked to page 1 through the link window; the picture is halved from its
# popup menu, undone and done again, and the hypertext saved. Then checks the
# saved file with ovikc: a placed picture of half the screenshot's size and a
# zone linking to page 1. Keeps screenshots (e2e-pictures-*.png).
# Not part of CI (a display test may be flaky); run it by hand:
#   xvfb-run -a -s "-screen 0 1100x800x24" bash scripts/e2e-pictures.sh [BUILD]
set -euo pipefail
build=$(realpath "${1:-build}")
work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
echo "work: $work"
command -v xclip >/dev/null || { echo "needs xclip (apt-get install xclip)"; exit 2; }
cp "$build/src/ui/es_hqv/esempio.hqv" "$work/libro.hqv"
export XDG_CONFIG_HOME="$work/config"
# No tips window at start: it would take the keys meant for the page.
mkdir -p "$XDG_CONFIG_HOME/ZW"
printf '[options]\nautoHideTip=1\n' >"$XDG_CONFIG_HOME/ZW/Ovik3.0wh.ini"
source "$(dirname "$0")/e2e-common.sh"
shot() { import -window root "$build/e2e-pictures-$1.png" 2>/dev/null || true; }

# The "screenshot": 200 x 120 pixels, red on white, so that the picture can
# be found on the display afterwards.
convert -size 200x120 xc:white -fill "#ff00ff" -draw "rectangle 10,10 190,110" "$work/screen.png"
xclip -selection clipboard -t image/png -i "$work/screen.png" &
clip=$!
sleep 0.3

start_editor "$build" "$work/libro.hqv"
sleep 1
focus_window libro.hqv
xdotool mousemove --window "$win" 600 200 click 1
sleep 0.3
# A paragraph of its own at the end of the page, then Ctrl+V.
xdotool key --window "$win" ctrl+End Return
xdotool key --window "$win" ctrl+v
sleep 1
shot 1-from-clipboard
focus_window "Inserisci immagine"
# GIF is the default choice; tick "Trasparente" (a click on it: it has no
# access key) and confirm.
dlg=$(xdotool getactivewindow)
xdotool mousemove --window "$dlg" 32 232 click 1
sleep 0.3
shot 1b-transparent
sleep 0.3
xdotool key Return
sleep 0.8
focus_window "Propriet"
xdotool key Return
sleep 0.5
focus_window libro.hqv
shot 2-pasted

# Where the red picture stands on the display (WxH+X+Y).
find_picture() {
  import -window root "$work/now.png"
  convert "$work/now.png" -fuzz 8% -fill black +opaque "#ff00ff" -format "%@" info:
}
box=$(find_picture)
echo "picture on the display: $box"
IFS='x+' read -r pw ph px py <<<"$box"
[ "${pw:-0}" -gt 100 ] || { echo "FAIL: the pasted picture is not on the display"; kill "$pid"; exit 1; }
# Window-relative points inside the picture.
read -r wx wy < <(xdotool getwindowgeometry --shell "$win" | awk -F= '/^X=/{x=$2} /^Y=/{y=$2} END{print x, y}')
# The picture's white border is 10 pixels wide.
rx=$((px - 10 - wx)); ry=$((py - 10 - wy))
popup() {  # right click at (x, y) inside the picture, then menu keys
  xdotool mousemove --window "$win" $((rx + $1)) $((ry + $2)) click 3
  sleep 0.4
  shift 2
  xdotool key "$@"
  sleep 0.4
}
# "&Aggiungi zona cliccabile" at three places of the picture.
popup 20 20 a
popup 80 20 a
popup 120 60 a
shot 3-zones
# The first zone's menu: "&Collega zona..." (C is also "&Cancella": the
# first of the two is chosen, then Return) to page 1 of the page list.
popup 30 30 c Return
focus_window "Collega"
xdotool key Home Down Return
sleep 0.5
focus_window libro.hqv
# "Dimensione &50%" from the picture's menu, undone and done again.
popup 150 100 5
shot 4-halved
xdotool key --window "$win" ctrl+z
sleep 0.3
xdotool key --window "$win" ctrl+y
sleep 0.3
xdotool key --window "$win" ctrl+s
sleep 1
shot 5-saved
kill "$clip" 2>/dev/null || true
xdotool key --window "$win" alt+x 2>/dev/null || true
for _ in $(seq 25); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
kill "$pid" 2>/dev/null || true

links=$("$build/src/cli/ovikc" links "$work/libro.hqv" --pages 0)
echo "$links"
layout=$("$build/src/cli/ovikc" layout "$work/libro.hqv" --page 0 --width 600)
echo "$layout"
fail=0
grep -q "^0	zone	.*Come iniziare" <<<"$links" || { echo "FAIL: no zone linked to page 1"; fail=1; }
grep -q "^16 immagineNew .* 100x60$" <<<"$layout" || { echo "FAIL: no placed picture of 100 x 60"; fail=1; }
[ $fail = 0 ] && echo "PASS (screenshots: $build/e2e-pictures-*.png)"
exit $fail
