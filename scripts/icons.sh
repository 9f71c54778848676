#!/usr/bin/env bash
# Makes the PNG sizes of the program's icon from its SVG (Debian librsvg2-bin).
# The PNGs are kept in the repository, so building needs no converter.
set -euo pipefail
cd "$(dirname "$0")/../dist/icons"
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" ru.kavelton.sprav.svg -o "ru.kavelton.sprav-$size.png"
done
