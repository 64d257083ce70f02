#!/bin/sh
# Regenerates every picture, icon, sound clip and web picture of the client, and the
# contact sheet, from the sources in this folder. The outputs are committed, so a build
# never runs this. Needs: python3, rsvg-convert (librsvg2-bin), ImageMagick, sox, espeak-ng.
set -eu
export PYTHONDONTWRITEBYTECODE=1

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
res=$root/src/resources

for tool in python3 rsvg-convert convert montage sox espeak-ng; do
  command -v "$tool" >/dev/null || { echo "generate.sh: $tool is missing (see scripts/install-deps.sh)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "pictures"
rm -f "$res"/pictures/*.svg
python3 "$here/pictures.py" "$res" "$work"

echo "freedesktop icons"
for n in 16 22 24 32 48 64 128 256; do
  src=$res/icons/hicolor/scalable/apps/quibo32.svg
  [ "$n" -le 24 ] && src=$work/icon-small.svg
  mkdir -p "$res/icons/hicolor/${n}x${n}/apps"
  rsvg-convert -w "$n" -h "$n" "$src" -o "$res/icons/hicolor/${n}x${n}/apps/quibo32.png"
done

echo "web pictures"
mkdir -p "$res/web" "$res/install"
rsvg-convert "$work/banner.svg" -o "$res/web/banner.png"
rsvg-convert "$work/bg.svg" -o "$work/bg.png"
convert "$work/bg.png" "$res/install/bg.gif"

echo "sounds"
python3 "$here/sounds.py" "$res/install"

echo "help and web-site page"
cp "$here/text/chathelp.hlp" "$here/text/quibo32.htm" "$res/install/"

echo "contact sheet"
mkdir -p "$root/docs"
python3 "$here/contact_sheet.py" "$res" "$work/sheet" "$root/docs/contact-sheet.png"
echo "done"
