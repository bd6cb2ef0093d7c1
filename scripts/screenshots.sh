#!/bin/sh
# Saves a picture of each dialog window, shown over a small sample hypertext
# under a virtual X display, so that their look can be checked by eye.
# Usage: scripts/screenshots.sh [BUILD_DIR [OUT_DIR]]
# OVIK_LANGUAGE=eng takes the pictures of the dialog windows in English.
# Needs xvfb-run (package xvfb). Not part of the tests.
set -eu
build=${1:-build}
out=${2:-$build/screenshots}
ovik="$build/src/ui/ovik"
if [ ! -x "$ovik" ]; then
    echo "no editor at $ovik; build first" >&2
    exit 1
fi
mkdir -p "$out"
status=0
for name in fpropiper fopzioni fproptesto fexport fimport falbum fcancella fnuova fincolla ferrori fstili fcarattere fsimbolo fcollega fcollspec fancora fcollfile ftuttepagine fslides fkeywords fordine fcerca fparagrafo ftoolbars ffinestre ftrovafile fsuggerimenti fimgfromclip; do
    if xvfb-run -a -s "-screen 0 1280x1024x24" "$ovik" --language "${OVIK_LANGUAGE:-ita}" --screenshot-window "$name" "$out/$name.png"; then
        echo "$out/$name.png"
    else
        echo "failed: $name" >&2
        status=1
    fi
done
# The main window with each menu open, in each interface language.
for lang in ita eng; do
    for menu in FileMenu EditMenu SearchMenu InsertMenu TableMenu FormatMenu HypMenu PublishMenu ToolsMenu HelpMenu; do
        if xvfb-run -a -s "-screen 0 1280x1024x24" "$ovik" --language "$lang" --screenshot-menu "$menu" "$out/menu-$menu-$lang.png"; then
            echo "$out/menu-$menu-$lang.png"
        else
            echo "failed: menu $menu ($lang)" >&2
            status=1
        fi
    done
done
exit $status
