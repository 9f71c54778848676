#!/usr/bin/env bash
# Builds the Debian package from a build folder (default ./build) and checks
# it as a distribution would: the pieces a desktop needs are in it, the
# desktop entry and the AppStream metadata are valid, lintian finds no error,
# and the program unpacked from it answers --version and --help.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(readlink -f "${1:-build}")

(cd "$build" && rm -f sprav_*.deb && cpack -G DEB >/dev/null)
deb=$(ls "$build"/sprav_*.deb)
listed=$(dpkg-deb -c "$deb" | awk '{print $6}')
id=ru.kavelton.sprav
for file in usr/bin/sprav usr/share/applications/$id.desktop \
            usr/share/icons/hicolor/scalable/apps/$id.svg \
            usr/share/icons/hicolor/48x48/apps/$id.png usr/share/metainfo/$id.metainfo.xml \
            usr/share/man/man1/sprav.1.gz usr/share/doc/sprav/copyright \
            usr/bin/sprav-directory usr/share/man/man1/sprav-directory.1.gz \
            usr/lib/systemd/system/sprav-directory.service \
            usr/share/doc/sprav/examples/directory.ini; do
    grep -qxF "./$file" <<<"$listed" || { echo "$deb lacks $file" >&2; exit 1; }
done

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked/usr/share/applications/$id.desktop"
appstreamcli validate --no-net --pedantic "$unpacked/usr/share/metainfo/$id.metainfo.xml" >/dev/null
lintian --fail-on error --suppress-tags binary-has-unneeded-section "$deb" 2>/dev/null
QT_QPA_PLATFORM=offscreen "$unpacked/usr/bin/sprav" --version
QT_QPA_PLATFORM=offscreen "$unpacked/usr/bin/sprav" --help | grep -q -- "--backup"
"$unpacked/usr/bin/sprav-directory" --version
echo "package ok: $(basename "$deb")"
