#!/bin/bash
# Writes the program icon (kel.ico): a white 格 on a dark red ground, 32 and 16 px.
set -euo pipefail
out=${1:-kel.ico}
convert -size 32x32 xc:'#200000' -fill '#ffffff' \
  -font /usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf -pointsize 28 \
  -gravity center -annotate 0 '格' -define icon:auto-resize=32,16 "$out"
