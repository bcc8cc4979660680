#!/usr/bin/env bash
# Writes samples/sample.gif, the picture of the demo: three frames of
# 120 x 80 with a transparent background and 20 colours (ImageMagick).
set -euo pipefail
cd "$(dirname "$0")/.."
frames=()
for i in 0 1 2; do
  x=$((20 + 30 * i))
  convert -size 120x80 xc:none -fill '#2060c0' -draw "rectangle 10,10 110,30" \
    -fill '#e04020' -draw "circle $x,55 $((x + 14)),55" -fill '#f0d020' -draw "text 8,76 'pek $i'" \
    +antialias -colors 20 "/tmp/sample_frame$i.gif"
  frames+=("/tmp/sample_frame$i.gif")
done
convert -delay 25 -dispose background -loop 0 "${frames[@]}" samples/sample.gif
rm -f "${frames[@]}"
