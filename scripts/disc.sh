#!/usr/bin/env bash
# Makes a CD-ROM image (ISO 9660 with Joliet) of a disc folder, with
# MENU.EXE, after menucheck finds no errors in it.
#   disc.sh [folder] [out.iso]      default: sample/ -> build/sample.iso
# The folder itself is left as it is: a staging copy gets MENU.EXE, the
# stand-in SETUP\SETUP.EXE when MENU.DAT names it and the folder has none,
# an autorun.inf when there is none, and INDEX.HTM, the page browsers show
# of the menu (MENU_DISC_LANG=en for its own lines in English). Warnings are shown and the image
# is made; errors stop it.
# MENU_SKIP_BUILD=1 uses what is built; MENU_DISC_EXE and MENU_DISC_SETUP
# name other programs to put on the disc (the tests put the 64-bit twin),
# MENUCHECK another checker.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

FOLDER=${1:-$ROOT/sample}
OUT=${2:-$BUILD/sample.iso}
MENU_EXE=${MENU_DISC_EXE:-$BUILD/win32/MENU.EXE}
SETUP_EXE=${MENU_DISC_SETUP:-$BUILD/win32/tools/demosetup/SETUP.EXE}
CHECKER=${MENUCHECK:-$BUILD/native/tools/menucheck/menucheck}

if [ ! -d "$FOLDER" ]; then
  echo "disc: $FOLDER is not a folder" >&2
  exit 1
fi
if [ -z "${MENU_SKIP_BUILD:-}" ]; then
  bash "$ROOT/scripts/deps.sh"
  bash "$ROOT/scripts/build.sh" native win32
fi
for file in "$MENU_EXE" "$CHECKER"; do
  [ -f "$file" ] || { echo "disc: $file is not built (scripts/build.sh)" >&2; exit 1; }
done
if ! command -v xorriso >/dev/null; then
  echo "disc: xorriso is missing (scripts/deps.sh installs it)" >&2
  exit 1
fi

STAGE=$(mktemp -d /tmp/menu-disc.XXXXXX)
trap 'rm -rf "$STAGE" "$STAGE.report" "$STAGE.html"' EXIT
cp -R "$FOLDER/." "$STAGE/"

# has NAME: whether the staging copy holds NAME, in any case (as on a disc).
has() {
  [ -n "$(find "$STAGE" -maxdepth 1 -iname "$1" -print -quit)" ]
}

# MENU.EXE replaces whatever copy the folder had, so the disc gets this build.
find "$STAGE" -maxdepth 1 -iname MENU.EXE -exec rm -f {} +
cp "$MENU_EXE" "$STAGE/MENU.EXE"

menu_dat=$(find "$STAGE" -maxdepth 1 -iname MENU.DAT -print -quit)
if [ -n "$menu_dat" ] && grep -qai 'SETUP\\SETUP\.EXE' "$menu_dat" &&
   [ -z "$(find "$STAGE" -ipath "$STAGE/SETUP/SETUP.EXE" -print -quit)" ]; then
  [ -f "$SETUP_EXE" ] || { echo "disc: $SETUP_EXE is not built" >&2; exit 1; }
  setup_dir=$(find "$STAGE" -maxdepth 1 -type d -iname SETUP -print -quit)
  setup_dir=${setup_dir:-$STAGE/SETUP}
  mkdir -p "$setup_dir"
  cp "$SETUP_EXE" "$setup_dir/SETUP.EXE"
  echo "disc: added the stand-in SETUP\\SETUP.EXE (replace it with your installer)"
fi

if ! has autorun.inf; then
  printf '[autorun]\r\nopen=MENU.EXE\r\nicon=MENU.EXE,0\r\n' >"$STAGE/autorun.inf"
  echo "disc: added autorun.inf"
fi

status=0
"$CHECKER" "$STAGE" >"$STAGE.report" || status=$?
case $status in
  0) tail -n 1 "$STAGE.report" ;;
  1) cat "$STAGE.report" ;;
  *) cat "$STAGE.report"
     rm -f "$STAGE.report"
     echo "disc: menucheck found errors; no image made" >&2
     exit 1 ;;
esac
rm -f "$STAGE.report"

# Volume label: the folder's name in the characters ISO 9660 allows.
label=$(basename "$(cd "$FOLDER" && pwd)" | tr '[:lower:]' '[:upper:]' | tr -c 'A-Z0-9_\n' '_' | cut -c1-32)

# INDEX.HTM: the menu for a browser, where MENU.EXE cannot start; made
# from MENU.DAT every time, so it never tells other than the menu.
if has INDEX.HTM; then
  find "$STAGE" -maxdepth 1 -iname INDEX.HTM -exec rm -f {} +
  echo "disc: the folder's INDEX.HTM is replaced by the page made from MENU.DAT"
fi
status=0
"$CHECKER" --html --lang="${MENU_DISC_LANG:-ja}" --title="${label:-MENU_DISC}" "$STAGE" \
  >"$STAGE.html" || status=$?
if [ "$status" -gt 2 ]; then
  rm -f "$STAGE.html"
  echo "disc: menucheck could not write INDEX.HTM; no image made" >&2
  exit 1
fi
mv "$STAGE.html" "$STAGE/INDEX.HTM"
mkdir -p "$(dirname "$OUT")"
rm -f "$OUT"
# Level 1 names for the ISO 9660 tree, Joliet for Windows' long names.
xorriso -as mkisofs -quiet -iso-level 1 -J -V "${label:-MENU_DISC}" -o "$OUT" "$STAGE"
echo "disc: made $OUT"
