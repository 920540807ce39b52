#!/usr/bin/env bash
# Builds the menu and shows it from a disc folder mapped to drive Q: under
# Wine: on your display when DISPLAY is set (until you close the menu), else
# on a private Xvfb, saving a screenshot whose path it prints.
# MENU_SKIP_BUILD=1 shows what is built without installing or building.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

if [ -z "${MENU_SKIP_BUILD:-}" ]; then
  bash "$ROOT/scripts/deps.sh"
fi
win32_decide
TREE=$(windows_tree)
if [ -z "${MENU_SKIP_BUILD:-}" ]; then
  bash "$ROOT/scripts/build.sh" "$(basename "$TREE")" ||
    echo "show: the build reported errors; showing what was built"
fi
if [ "$TREE" != "$BUILD/win32" ]; then
  echo "show: this machine cannot run 32-bit programs; showing the 64-bit twin instead"
fi

EXE=$TREE/MENU.EXE
PROBE=$TREE/tests/probe.exe
for file in "$EXE" "$PROBE"; do
  [ -f "$file" ] || { echo "show: $file was not built" >&2; exit 1; }
done

# The disc: the sample's files beside MENU.EXE; just the program while the
# sample has no MENU.DAT yet.
DISC=$BUILD/show-disc
rm -rf "$DISC"
mkdir -p "$DISC"
if [ -f "$ROOT/sample/MENU.DAT" ]; then
  cp -r "$ROOT/sample/." "$DISC/"
fi
cp "$EXE" "$DISC/MENU.EXE"
# The sample's installer commands start a stand-in that shows how it was run.
if [ -f "$TREE/tools/demosetup/SETUP.EXE" ]; then
  mkdir -p "$DISC/SETUP"
  cp "$TREE/tools/demosetup/SETUP.EXE" "$DISC/SETUP/SETUP.EXE"
fi

# One prefix for every show, kept between runs: only the first start is slow.
wine_env "${MENU_SHOW_PREFIX:-$HOME/.cache/picturemenu/wine}"
QUIT_WINE=1
cleanup() {
  [ -z "$QUIT_WINE" ] || stop_wine
  stop_xvfb
}
trap cleanup EXIT

if [ -n "${DISPLAY:-}" ]; then
  boot_kept_prefix "$PROBE"
  ln -sfn "$DISC" "$WINEPREFIX/dosdevices/q:"
  echo "show: starting Q:\\MENU.EXE from $DISC on $DISPLAY; close the menu to finish"
  "$WINE" 'Q:\MENU.EXE'
  exit 0
fi

start_xvfb 24
export DISPLAY=$XVFB_DISPLAY
boot_kept_prefix "$PROBE"
ln -sfn "$DISC" "$WINEPREFIX/dosdevices/q:"
"$WINE" 'Q:\MENU.EXE' &
MENU_PID=$!

probe() { "$WINE" "$PROBE" "$@"; }
if ! probe wait XERVOMENUClass "XERVO CD-ROM MENU" 30000 >/dev/null; then
  echo "show: no menu window appeared within 30 s" >&2
  exit 1
fi

# The surface's place on the screen, from the window's client origin.
info=$(probe info XERVOMENUClass "XERVO CD-ROM MENU" | tr -d '\r')
read -r ox oy <<<"$(sed -n 's/^origin=//p' <<<"$info")"
read -r cx cy _ <<<"$(sed -n 's/^child.rect=//p' <<<"$info")"
ox=$((ox + ${cx:-0}))
oy=$((oy + ${cy:-0}))
SHOTS=$BUILD/screenshots
mkdir -p "$SHOTS"
SHOT=$SHOTS/show.png

# Painted: the surface is not all black and two looks a moment apart agree.
last=
painted=
for _ in $(seq 30); do
  import -display "$DISPLAY" -window root "$SHOT.tmp.png"
  crop=$(convert "$SHOT.tmp.png" -crop "640x480+$ox+$oy" +repage -format '%[max] %#' info:)
  if [ "${crop%% *}" != 0 ] && [ "$crop" = "$last" ]; then
    painted=1
    break
  fi
  last=$crop
  sleep 1
done
mv "$SHOT.tmp.png" "$SHOT"
[ -n "$painted" ] || echo "show: the menu did not settle into a painted picture within 30 s"

probe close XERVOMENUClass "XERVO CD-ROM MENU" >/dev/null || true
for _ in $(seq 40); do
  kill -0 "$MENU_PID" 2>/dev/null || break
  sleep 0.5
done
kill "$MENU_PID" 2>/dev/null || true
status=0
wait "$MENU_PID" || status=$?
echo "show: the menu ended with exit code $status"
echo "show: screenshot $SHOT"
