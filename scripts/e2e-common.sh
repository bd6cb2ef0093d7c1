# Sourced by the editor end-to-end scripts: starts the real editor on a file
# and waits for its window. Sets `pid` and `win`; fails the script when the
# window does not appear within ten seconds.
#   start_editor BUILD FILE
start_editor() {
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
