#!/usr/bin/env bash
# The document and file cases of bench/hostile_files.sh (which runs this
# script as one of its cases). Prints one line per case:
#   case name | what happened | OK or FAIL
# Each case is a function named case_<name>; add a case by writing one more
# function and listing it in CASES at the end.
#
# usage: bench/hostile_document_files.sh BUILD_DIR
# Needs python3 (to craft the files) and /usr/bin/time (peak memory).
set -uo pipefail

build="${1:?usage: $0 BUILD_DIR}"
ovikc="$(cd "$build" && pwd)/src/cli/ovikc"
[ -x "$ovikc" ] || { echo "no ovikc in $build (build first)" >&2; exit 1; }
command -v python3 > /dev/null || { echo "needs python3" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 1; }

work="$(mktemp -d "${TMPDIR:-/tmp}/ovik_hostile.XXXXXX")"
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
failures=0

# result NAME WHAT OK|FAIL
result() {
  printf "%-28s %-70s %s\n" "$1" "$2" "$3"
  [ "$3" = OK ] || failures=$((failures + 1))
}

# run_limited SECONDS CMD...: runs CMD with a time limit; sets status, out,
# err, peak_mb (peak resident memory).
run_limited() {
  local secs="$1"; shift
  /usr/bin/time -f "%M" -o "$work/time.txt" timeout "$secs" "$@" > "$work/out.txt" 2> "$work/err.txt"
  status=$?
  out="$(cat "$work/out.txt")"
  err="$(grep -av '^Command ' "$work/err.txt" | tr '\n' ' ')"
  peak_mb=$(( $(tail -n1 "$work/time.txt" 2>/dev/null || echo 0) / 1024 ))
}

# craft NAME PYTHON: writes the hypertext file $work/NAME with the python
# function body given (it gets `pages`, a list of (content position, length),
# `data` (bytes of the data area), and `record_size`/`count` overrides).
craft() {
  python3 - "$work/$1" <<EOF
import struct, sys
out = sys.argv[1]
def write(kinds, data):
    # kinds: {kind: (record_size, [record bytes])}
    header = bytearray(1978)
    header[0:4] = b"VOKS"
    header[1620] = 25                         # highest kind
    struct.pack_into("<H", header, 1621, 2)   # format version
    struct.pack_into("<i", header, 1632, 2)   # revision
    table = b""; records = b""
    for k in range(26):
        size, recs = kinds.get(k, (0, []))
        table += struct.pack("<iii", len(records), size, len(recs))
        records += b"".join(recs)
    with open(out, "wb") as f:
        f.write(header); f.write(table); f.write(struct.pack("<i", len(records)))
        f.write(records); f.write(data)
def page(pos, length):
    r = bytearray(b"\xff" * 292)
    r[4] = 0
    struct.pack_into("<i", r, 0, pos); struct.pack_into("<i", r, 185, length)
    r[195] = 2
    return bytes(r)
def style():
    r = bytearray(b"\xff" * 103); r[4] = 0; r[5] = 0
    return bytes(r)
$2
EOF
}

# --- cases ------------------------------------------------------------------------------

case_symlinked_temp_folder() {
  local victim="$work/victim" tmp="$work/tmp"
  mkdir -p "$victim" "$tmp"
  echo "da non perdere" > "$victim/lettera.txt"
  echo "allegato" > "$work/allegato.txt"
  "$ovikc" new "$work/doc.hqv" > /dev/null 2>&1
  # The names an older ovikc would have used: its pid and serials 1 to 16.
  ( pid=$(printf "%08X" "$BASHPID")
    for s in $(seq 1 16); do ln -s "$victim" "$tmp/ovik_${pid}_$(printf "%08X" "$s")"; done
    export TMPDIR="$tmp"
    exec "$ovikc" add-file "$work/doc.hqv" "$work/allegato.txt" ) > /dev/null 2>&1
  if [ -f "$victim/lettera.txt" ] && [ "$(ls "$victim" | wc -l)" = 1 ]; then
    result symlinked-temp-folder "planted links ignored, files behind them untouched" OK
  else
    result symlinked-temp-folder "files behind the planted link changed: $(ls "$victim" | tr '\n' ' ')" FAIL
  fi
}

case_shared_stream() {
  # 400 pages all naming one 20 MB stream: 21 MB of file, 8 GB if copied per page.
  craft shared.hqv '
data = b"x" * (20 << 20)
write({0: (292, [page(0, len(data))] * 400), 17: (103, [style(), style()])}, data)'
  run_limited 60 "$ovikc" info "$work/shared.hqv"
  local size_mb=$(( $(stat -c %s "$work/shared.hqv") / 1048576 ))
  if [ "$status" -lt 124 ] && [ "$peak_mb" -le $(( 4 * size_mb + 64 )) ]; then
    result shared-stream "${size_mb} MB file: exit $status, peak ${peak_mb} MB" OK
  else
    result shared-stream "${size_mb} MB file: exit $status, peak ${peak_mb} MB" FAIL
  fi
}

case_many_declared_objects() {
  # 16,777,215 pages of 1-byte records in a 16.8 MB file.
  craft declared.hqv '
write({0: (1, [b"\x00"] * 0xFFFFFF)}, b"")'
  run_limited 120 "$ovikc" info "$work/declared.hqv"
  local size_mb=$(( $(stat -c %s "$work/declared.hqv") / 1048576 ))
  if [ "$status" -lt 124 ] && [ "$peak_mb" -le $(( 4 * size_mb + 64 )) ]; then
    result many-declared-objects "${size_mb} MB file: exit $status, peak ${peak_mb} MB" OK
  else
    result many-declared-objects "${size_mb} MB file: exit $status, peak ${peak_mb} MB" FAIL
  fi
}

case_fifo() {
  "$ovikc" new "$work/fifo_doc.hqv" > /dev/null 2>&1
  mkfifo "$work/tubo.gif"
  local cmd what="" ok=OK
  for cmd in add-file add-picture info; do
    if [ "$cmd" = info ]; then run_limited 10 "$ovikc" info "$work/tubo.gif"
    else run_limited 10 "$ovikc" "$cmd" "$work/fifo_doc.hqv" "$work/tubo.gif"; fi
    if [ "$status" = 124 ]; then what+="$cmd blocked; "; ok=FAIL
    elif [ "$status" = 0 ]; then what+="$cmd accepted it; "; ok=FAIL
    elif [[ "$err" != *"tubo.gif"* ]]; then what+="$cmd: message without the name; "; ok=FAIL
    else what+="$cmd refused; "; fi
  done
  result fifo "$what" "$ok"
}

case_read_only_folder() {
  local folder="$work/protetta"
  mkdir -p "$folder"
  "$ovikc" new "$folder/doc.hqv" > /dev/null 2>&1
  echo "allegato" > "$work/piccolo.txt"
  local runner=()
  if [ "$(id -u)" = 0 ]; then
    # The superuser writes anywhere: the save runs as nobody, who owns the
    # file but may not create files in the folder.
    chown -R nobody "$folder" "$work/piccolo.txt"
    chmod 755 "$work"
    runner=(setpriv --reuid=nobody --regid=nogroup --clear-groups --inh-caps=-all)
  fi
  chmod 555 "$folder"
  run_limited 30 "${runner[@]}" "$ovikc" add-file "$folder/doc.hqv" "$work/piccolo.txt"
  local new_ok=FAIL
  # A new file in that folder cannot be made: the message must say why.
  run_limited 30 "${runner[@]}" "$ovikc" new "$folder/nuovo.hqv"
  if [[ "$err" == *"nuovo.hqv"*"Permission denied"* ]] && [[ "$err" != *"condivisione"* ]]; then new_ok=OK; fi
  run_limited 30 "${runner[@]}" "$ovikc" info "$folder/doc.hqv"
  chmod 755 "$folder"
  if [[ "$out" == *"piccolo.txt"* ]] && [ "$new_ok" = OK ]; then
    result read-only-folder "existing file saved in place; new file refused: Permission denied" OK
  else
    result read-only-folder "existing file: $(echo "$out" | grep -c piccolo) entries; new file: $new_ok" FAIL
  fi
}

CASES=(
  symlinked_temp_folder
  shared_stream
  many_declared_objects
  fifo
  read_only_folder
)

for c in "${CASES[@]}"; do "case_$c"; done
exit $(( failures > 0 ))
