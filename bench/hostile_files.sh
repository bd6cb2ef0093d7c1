#!/usr/bin/env bash
# Hostile files and names given to ovikc: each case makes its files in a folder
# of its own, runs the tool as a user would and checks that nothing is lost,
# nothing blocks and the tool says what it did. One line per case, OK or FAIL.
#
#   bench/hostile_files.sh [BUILD_DIR]
#
# A case is a shell function named case_<name>; it runs in its own empty
# folder (a subshell), gets BUILD_DIR as $1, and ends normally (OK) or prints
# why and exits 1 (FAIL).
# The exit status is the number of failed cases.
set -uo pipefail

build=$(realpath "${1:-build}")
here=$(cd "$(dirname "$0")" && pwd)
ovikc="$build/src/cli/ovikc"
work=$(mktemp -d "${TMPDIR:-/tmp}/ovik-hostile-XXXXXX")
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT

# Runs ovikc with a time limit: a command that blocks is a failure (status 124).
run() { timeout 20 "$ovikc" "$@" >out 2>err; }
# The text ovikc exports from a hypertext.
exported() { "$ovikc" export "$1" exported.txt >/dev/null 2>&1 && cat exported.txt; }
why() { echo "$*"; exit 1; }

# --- outputs never replace the hypertext they are made from -----------------------

case_export_onto_the_open_file() {
    "$ovikc" new self.hqv && cp self.hqv before.hqv
    run export --format txt self.hqv self.hqv && why "exit 0"
    cmp -s self.hqv before.hqv || why "self.hqv changed"
    grep -q self.hqv err || why "no message naming the file"
}

case_export_onto_the_open_file_through_a_link() {
    "$ovikc" new self.hqv && cp self.hqv before.hqv && ln -s self.hqv link.txt
    run export self.hqv link.txt && why "exit 0"
    cmp -s self.hqv before.hqv || why "self.hqv changed"
    [ -L link.txt ] || why "the link was replaced"
}

case_extract_onto_the_source() {
    "$ovikc" new b.hqv && printf 'dati' >d.bin && "$ovikc" add-file b.hqv d.bin >/dev/null
    cp b.hqv before.hqv
    run extract b.hqv 3 0 b.hqv && why "exit 0"
    cmp -s b.hqv before.hqv || why "b.hqv changed ($(stat -c %s b.hqv) bytes)"
}

# --- imports of text that is not plain 8-bit text ------------------------------------

case_import_utf16_le() {
    printf '\xff\xfeH\0i\0' >u.txt
    run import u.txt -o u.hqv || why "exit $?: $(cat err)"
    [ "$(exported u.hqv)" = "Hi" ] || why "imported as '$(exported u.hqv)'"
}

case_import_utf16_be() {
    printf '\xfe\xff\0H\0i' >u.txt
    run import u.txt -o u.hqv || why "exit $?: $(cat err)"
    [ "$(exported u.hqv)" = "Hi" ] || why "imported as '$(exported u.hqv)'"
}

case_import_nul_after_8k_is_dropped_and_counted() {
    { head -c 9000 /dev/zero | tr '\0' a; printf '\0coda'; } >n.txt
    run import n.txt -o n.hqv || why "exit $?: $(cat err)"
    exported n.hqv | grep -q 'acoda$' || why "the text after the NUL is lost"
    grep -q '1 control character' out || why "the NUL is not reported: $(cat out)"
}

case_import_binary_file_is_skipped() {
    printf 'MZ\x90\0\x03\0\0\0' >prog.txt
    run import prog.txt -o p.hqv && why "exit 0"
    grep -q 'prog.txt non è un file di testo' err || why "no message naming it: $(cat err)"
    [ ! -e p.hqv ] || why "a hypertext was written"
}

case_import_fifo_does_not_block() {
    mkfifo pipe.txt
    run import pipe.txt -o p.hqv
    local st=$?
    [ $st -eq 124 ] && why "blocked"
    [ $st -eq 1 ] || why "exit $st"
    grep -q 'pipe.txt non è un file normale' err || why "no message naming it: $(cat err)"
}

case_import_rtf_is_not_shown_as_text() {
    printf '{\\rtf1 ciao}' >l.rtf
    run import l.rtf -o l.hqv && why "exit 0"
    grep -q 'Questa funzione non è ancora disponibile.' err || why "no message: $(cat err)"
}

case_import_into_a_hypertext_with_a_freed_page() {
    "$build/bench/ovik_bench_generate" t.hqv --pages 3 --pictures 0 --files 0 >/dev/null ||
        why "cannot generate"
    # Page 1's slot made free, as deleting the page leaves it.
    python3 - t.hqv <<'EOF' || why "cannot free page 1"
import struct, sys
d = bytearray(open(sys.argv[1], 'rb').read())
offset, size, count = struct.unpack_from('<iii', d, 1978)
d[1994 + 12 * d[1620] + offset + 1 * size + 4] = 3
open(sys.argv[1], 'wb').write(d)
EOF
    printf 'uno' >a.txt && printf 'due' >b.txt
    run import a.txt b.txt --into t.hqv || why "exit $?: $(cat err)"
    grep -q '^2 pages imported from page 1' out || why "reported: $(cat out)"
}

# The document and file cases (temporary folder, memory of opening, pipes,
# read-only folders) print a line each from a script of their own.
case_document_files() {
    local lines
    lines=$("$here/hostile_document_files.sh" "$1") || why "$(grep -c 'FAIL$' <<<"$lines") failed"
}

# --- runner ------------------------------------------------------------------------------

failed=0
for c in $(declare -F | awk '{print $3}' | grep '^case_'); do
    dir="$work/$c"
    mkdir -p "$dir"
    if msg=$(cd "$dir" && "$c" "$build" 2>&1); then
        echo "OK   ${c#case_}"
    else
        echo "FAIL ${c#case_}: $(echo "$msg" | tail -1)"
        failed=$((failed + 1))
    fi
done
exit $failed
