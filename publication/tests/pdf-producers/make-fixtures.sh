#!/usr/bin/env bash
# Remakes every fixture of this folder from its source, and the word list of each (see README.md).
# Needs: texlive-latex-base texlive-fonts-recommended groff ghostscript libreoffice-writer-nogui
# chromium fonts-dejavu-core fonts-liberation2 fonts-urw-base35 libcairo2-dev libjpeg-dev poppler-utils python3.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export SOURCE_DATE_EPOCH=1767225600 FORCE_SOURCE_DATE=1

(cd "$work" && pdflatex -interaction=nonstopmode "$here/pdftex.tex" >/dev/null)
cp "$work/pdftex.pdf" "$here/pdftex.pdf"

groff -ms -Tps "$here/groff.ms" > "$work/groff.ps"
ps2pdf "$work/groff.ps" "$here/groff.pdf"
ps2pdf "$here/ghostscript-plot.ps" "$here/ghostscript-plot.pdf"

cc -O1 -o "$work/cairo" "$here/cairo.c" $(pkg-config --cflags --libs cairo) -lm
"$work/cairo" "$here/cairo.pdf"
cc -O1 -o "$work/cairo-cff" "$here/cairo-cff.c" $(pkg-config --cflags --libs cairo) -ljpeg
"$work/cairo-cff" "$here/cairo-cff.pdf"

soffice --headless -env:UserInstallation=file://$work/lo --convert-to pdf --outdir "$work" "$here/libreoffice.rtf" >/dev/null 2>&1
cp "$work/libreoffice.pdf" "$here/libreoffice.pdf"

chromium --headless --no-sandbox --disable-gpu --no-pdf-header-footer --user-data-dir="$work/chromium" \
  --print-to-pdf="$here/chromium.pdf" "file://$here/chromium.html" >/dev/null 2>&1

python3 "$here/handwritten.py" "$here"

for pdf in "$here"/*.pdf; do
  python3 "$here/words.py" "$pdf" "${pdf%.pdf}.words"
done
