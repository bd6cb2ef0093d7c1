#!/usr/bin/env bash
# Draws the small GIF icons of markers, hidden fields, server-side elements,
# form starts, cyclic sounds and database elements into src/ui/control_icons
# (ImageMagick). The icons are committed; run this only to change them.
set -euo pipefail
out="$(dirname "$0")/../src/ui/control_icons"
mkdir -p "$out"
font=DejaVu-Sans-Bold
# name width background label
while read -r name width bg label; do
  [ -z "$name" ] && continue
  [ "$label" = "-" ] && label=""
  convert -size "${width}x18" "xc:$bg" -fill none -stroke '#505050' -draw "rectangle 0,0 $((width-1)),17" \
    -stroke none -fill black -font "$font" -pointsize 8 -gravity center -annotate +0+0 "$label" \
    +antialias -colors 16 "$out/$name.gif"
done <<'LIST'
notepad 18 #ffffa0 ab
html 18 #c8e6ff </>
binary 18 #dcdcdc 01
lancia 18 #ffc878 >>
ancora 18 #a0dca0 an
triang 18 #ffb4b4 ^
imagelk 36 #e0f0ff img>
fogliolk 36 #e0f0ff pag>
foglio 36 #f0f0f0 testo
fond 18 #f0e0ff f
xcoord 36 #f0f0f0 X
ycoord 36 #f0f0f0 Y
par 18 #f0f0f0 p
hidden 18 #e6e6e6 h
dinlist 18 #d8f0d8 L
dinhtml 18 #d8f0d8 H
iniziof 18 #ffe6b4 F
nota 18 #c8c8ff ♪
dbtesto 36 #fff0c8 db:T
dbdb 18 #fff0c8 DB
dbquery 18 #fff0c8 ?
dbbegin 18 #fff0c8 [
dbend 18 #fff0c8 ]
dbcount 18 #fff0c8 #
dbfirst 18 #fff0c8 |<
dblast 18 #fff0c8 >|
dbrep 27 #fff0c8 rep
dbsalto 36 #fff0c8 salto
custom 18 #e0e0e0 C
db 18 #fff0c8 db
LIST
