#!/usr/bin/env bash
# Drives spell checking in the real editor under a virtual display:
#  1. a page with an Italian misspelling ("parolla") and an unknown name
#     ("ovikkiano", twice) shows them underlined within a second after the
#     two-second delay;
#  2. the context menu's first suggestion corrects "parolla";
#  3. "&Aggiungi" on "ovikkiano" takes both its underlines away and puts it in
#     the user dictionary, which the editor still uses after a restart;
#  4. F7 walks the page's errors with the spelling dialog: "&Cambia" corrects
#     "quesot", the dialog goes on to "sbagliatto", "C&hiudi" ends the check.
# Screenshots of each step go to BUILD/e2e-spell-*.png. Not part of CI; run:
#   xvfb-run -a -s "-screen 0 1100x800x24" bash scripts/e2e-spell.sh [BUILD]
set -euo pipefail
build=$(realpath "${1:-build}")
work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"; [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null || true' EXIT
echo "work: $work"
export XDG_CONFIG_HOME="$work/config"   # settings and user dictionary of this run only
printf 'Questa pagina contiene una parolla sbagliata.\nIl nome ovikkiano compare qui, e ancora ovikkiano alla fine.\nPer il dialogo: quesot testo e un sbagliatto.\n' \
  > "$work/pagina.txt"
"$build/src/cli/ovikc" import --format txt --quiet "$work/pagina.txt" -o "$work/prova.hqv" >/dev/null
# The hypertext's spell-check language (header offset 1744): Italian, 1040.
printf '\x10\x04' | dd of="$work/prova.hqv" bs=1 seek=1744 conv=notrunc status=none
source "$(dirname "$0")/e2e-common.sh"
shot() { import -window root "$build/e2e-spell-$1.png"; echo "screenshot: $build/e2e-spell-$1.png"; }

start() {
  start_editor "$build" "$work/prova.hqv"
  xdotool windowmove "$win" 0 0
  xdotool windowsize "$win" 1000 700
  sleep 0.5
}

start
xdotool key --window "$win" F11   # out of preview: the page becomes editable
sleep 3.2                          # 2 s delay, then the paragraphs are checked
shot 1-underlined

# Where the words are: the page view reports nothing to the shell, so the
# positions come from the layout of this small page (default font, 96 dpi).
# Right click on "parolla" (first line).
xdotool mousemove --window "$win" "${PAROLLA_X:-477}" "${LINE1_Y:-106}" click 3
sleep 0.6
shot 2-menu
xdotool key Down Return
sleep 0.5
shot 3-corrected

# "&Aggiungi" on the first "ovikkiano" (second line).
xdotool mousemove --window "$win" "${OVIK_X:-358}" "${LINE2_Y:-124}" click 3
sleep 0.6
shot 4-menu-add
xdotool key a
sleep 0.5
shot 5-added

# F7 from the top of the page: the dialog on "quesot", "&Cambia" (Return),
# then on "sbagliatto", then "C&hiudi" (Esc).
xdotool key --window "$win" ctrl+Home
xdotool key --window "$win" F7
sleep 1
shot 6-dialog
xdotool key Return
sleep 0.6
shot 7-dialog-next
xdotool key Escape
sleep 0.3
# Without a window manager the main window does not take the focus back by
# itself: a click in the page gives it the keyboard for Ctrl+S.
xdotool mousemove --window "$win" 700 400 click 1
sleep 0.2
xdotool key --window "$win" ctrl+s
sleep 1
kill "$pid"; wait "$pid" 2>/dev/null || true
pid=""

grep -qx "ovikkiano" "$XDG_CONFIG_HOME/ZW/CUSTOM.DIC" && echo "ok: ovikkiano is in the user dictionary" \
  || echo "FAIL: ovikkiano is not in the user dictionary"
out=$("$build/src/cli/ovikc" spell "$work/prova.hqv" || true)
echo "$out"
for w in parolla quesot ovikkiano; do
  case "$out" in
    *"\"$w\""*) echo "FAIL: $w is still reported" ;;
    *) echo "ok: $w is no longer reported" ;;
  esac
done
case "$out" in
  *'"sbagliatto"'*) echo "ok: sbagliatto, left by C&hiudi, is still reported" ;;
  *) echo "FAIL: sbagliatto is not reported" ;;
esac

# After a restart the added word is still accepted: no underline on line 2.
start
xdotool key --window "$win" F11
sleep 3.2
shot 8-restarted
