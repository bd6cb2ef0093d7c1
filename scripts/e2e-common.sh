# Sourced by the editor end-to-end scripts: starts the real editor on a file
# and waits for its window. Sets `pid` and `win`; fails the script when the
# window does not appear within ten seconds.
#   start_editor BUILD FILE
start_editor() {
  # A window manager gives the focus to a modal window when it opens and back
  # to the main window when it closes, as on a desktop; without one the keys
  # typed for a dialog go nowhere.
  if command -v openbox >/dev/null && ! xdotool search --name "^Openbox" >/dev/null 2>&1; then
    openbox >/dev/null 2>&1 &
    sleep 0.5
  fi
  "$1/src/ui/ovik" "$2" &
  pid=$!
  win=""
  local name
  name=$(basename "$2")
  for _ in $(seq 50); do
    win=$(xdotool search --name "$name" 2>/dev/null | head -1 || true)
    [ -n "$win" ] && break
    sleep 0.2
  done
  [ -n "$win" ] || { echo "FAIL: the editor window did not appear"; kill "$pid" 2>/dev/null; exit 1; }
}

# Waits for the newest visible window of the editor whose title contains TITLE
# (the main window: its file name) and gives it the keyboard focus.
#   focus_window TITLE
focus_window() {
  local w=""
  for _ in $(seq 25); do
    w=$(xdotool search --onlyvisible --pid "$pid" --name "$1" 2>/dev/null | tail -1 || true)
    [ -n "$w" ] && break
    sleep 0.2
  done
  [ -n "$w" ] || { echo "FAIL: no window named \"$1\""; kill "$pid" 2>/dev/null; exit 1; }
  xdotool windowfocus --sync "$w"
}
