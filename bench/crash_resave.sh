#!/usr/bin/env bash
# Kills `ovikc resave BIG BIG` with SIGKILL at random moments and checks, after
# every kill, that BIG is a complete hypertext with all its pages and pictures
# (the old file or the new one), and that nothing else in the folder is lost:
# the backup, when there, is complete too, and what a killed save leaves beside
# the file is only its unfinished temporary file, which the next save removes.
#
#   bench/crash_resave.sh [BUILD_DIR]     (ROUNDS=50 SIZE_MB=200 by default)
#
# Everything is made in a private folder under the temporary folder and removed
# at the end.
set -euo pipefail
shopt -s nullglob dotglob

build=${1:-build}
rounds=${ROUNDS:-50}
size_mb=${SIZE_MB:-200}
ovikc=$(realpath "$build/src/cli/ovikc")
gen=$(realpath "$build/bench/ovik_bench_generate")

work=$(mktemp -d "${TMPDIR:-/tmp}/ovik-crash-XXXXXX")
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
big="$work/big.hqv"

echo "generating $size_mb MB hypertext..."
# Mostly embedded files (quick to make), with some pages and pictures.
"$gen" "$big" --pages 500 --pictures 10 --files "$size_mb" --file-kb 1024 >/dev/null

# What must survive: everything but the file's own name and revision.
content() { "$ovikc" info "$1" --json 2>/dev/null | grep -v '"revision"\|"file"'; }
expected=$(content "$big")
[ -n "$expected" ] || { echo "generated file does not open"; exit 1; }

start=$(date +%s.%N)
"$ovikc" resave "$big" "$big"
full=$(echo "$(date +%s.%N) - $start" | bc)
echo "one full resave takes ${full}s; killing $rounds saves at random moments"

old=0 new=0 bad=0 leftovers=0
for ((i = 1; i <= rounds; i++)); do
    before=$(sha1sum <"$big")
    delay=$(awk -v f="$full" -v s="$RANDOM" 'BEGIN { srand(s); printf "%.3f", rand() * f * 1.1 }')
    "$ovikc" resave "$big" "$big" 2>/dev/null &
    pid=$!
    sleep "$delay"
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true

    if [ "$(content "$big")" != "$expected" ]; then
        echo "round $i (after ${delay}s): the file is not complete"
        bad=$((bad + 1))
        continue
    fi
    if [ -e "$work/big.bak" ] && [ "$(content "$work/big.bak")" != "$expected" ]; then
        echo "round $i: the backup is not complete"
        bad=$((bad + 1))
    fi
    if [ "$(sha1sum <"$big")" == "$before" ]; then old=$((old + 1)); else new=$((new + 1)); fi
    for f in "$work"/*; do
        case "$(basename "$f")" in
            big.hqv | big.bak) ;;
            .big.hqv.ovik-??????) leftovers=$((leftovers + 1)) ;;
            *) echo "round $i: unexpected file $(basename "$f")"; bad=$((bad + 1)) ;;
        esac
    done
done

# A save run to the end clears the unfinished temporary files.
"$ovikc" resave "$big" "$big"
remaining=$(find "$work" -name '.big.hqv.ovik-*' | wc -l)
[ "$(content "$big")" == "$expected" ] || { echo "final save: file not complete"; bad=$((bad + 1)); }

echo "rounds: $rounds  old file: $old  new file: $new  broken: $bad"
echo "unfinished temporary files seen: $leftovers  left after a full save: $remaining"
[ "$bad" -eq 0 ] && [ "$remaining" -eq 0 ]
