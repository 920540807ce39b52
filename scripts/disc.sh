#!/usr/bin/env bash
# Makes a CD-ROM image (ISO 9660 with Joliet) of a disc folder, with
# MENU.EXE, after menucheck finds no errors in it.
#   disc.sh [--label TEXT] [--sign CERT.pfx [--pass-file FILE]
#           [--timestamp URL]] [folder] [out.iso]
#                                   default: sample/ -> build/sample.iso
#   --label TEXT   the disc's name (volume label, and label= of the
#                  autorun.inf written here): at most 16 characters and 32
#                  bytes of UTF-8, all of them in Shift-JIS; default: the
#                  folder's name in the characters ISO 9660 allows
#   --sign CERT.pfx  signs the disc's MENU.EXE (Authenticode, SHA-256, by
#                  osslsigncode); the password comes from --pass-file FILE
#                  or the variable MENU_SIGN_PASSWORD, never the command line
#   --timestamp URL  an RFC 3161 time-stamp server for the signature
# The folder itself is left as it is: a staging copy gets MENU.EXE, the
# stand-in SETUP\SETUP.EXE when MENU.DAT names it and the folder has none,
# an autorun.inf when there is none, and INDEX.HTM, the page browsers show
# of the menu (MENU_DISC_LANG=en for its own lines in English). Warnings
# are shown and the image is made; errors stop it. A folder whose MENU.DAT
# or autorun.inf lies one folder down is refused: it is not the disc's root.
# The same folder gives the same image, byte for byte: every date is
# SOURCE_DATE_EPOCH, else the date of the folder's newest file. menucheck's
# report goes beside the image (out.report.txt).
# MENU_SKIP_BUILD=1 uses what is built; MENU_DISC_EXE and MENU_DISC_SETUP
# name other programs to put on the disc (the tests put the 64-bit twin),
# MENUCHECK another checker.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

usage() {
  sed -n '4,15p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//' >&2
  exit "${1:-1}"
}

LABEL=
SIGN=
PASS_FILE=
TIMESTAMP=
args=()
while [ $# -gt 0 ]; do
  case $1 in
    --label|--sign|--pass-file|--timestamp)
      [ $# -ge 2 ] || usage
      case $1 in
        --label) LABEL=$2 ;;
        --sign) SIGN=$2 ;;
        --pass-file) PASS_FILE=$2 ;;
        --timestamp) TIMESTAMP=$2 ;;
      esac
      shift 2 ;;
    --label=*) LABEL=${1#--label=}; shift ;;
    --sign=*) SIGN=${1#--sign=}; shift ;;
    --pass-file=*) PASS_FILE=${1#--pass-file=}; shift ;;
    --timestamp=*) TIMESTAMP=${1#--timestamp=}; shift ;;
    --pass|--pass=*|--password|--password=*)
      # A password on the command line is seen by every user of the machine.
      echo "disc: no password on the command line: use --pass-file FILE or MENU_SIGN_PASSWORD" >&2
      exit 1 ;;
    -h|--help) usage 0 ;;
    --) shift; args+=("$@"); break ;;
    -*) echo "disc: unknown option $1" >&2; usage ;;
    *) args+=("$1"); shift ;;
  esac
done
[ ${#args[@]} -le 2 ] || usage

FOLDER=${args[0]:-$ROOT/sample}
OUT=${args[1]:-$BUILD/sample.iso}
MENU_EXE=${MENU_DISC_EXE:-$BUILD/win32/MENU.EXE}
SETUP_EXE=${MENU_DISC_SETUP:-$BUILD/win32/tools/demosetup/SETUP.EXE}
CHECKER=${MENUCHECK:-$BUILD/native/tools/menucheck/menucheck}

if [ ! -d "$FOLDER" ]; then
  echo "disc: $FOLDER is not a folder" >&2
  exit 1
fi

# The disc's root holds MENU.DAT and autorun.inf. Given the folder above it
# (the folder burned instead of its contents), Windows finds neither.
top() {
  find "$FOLDER" -mindepth 1 -maxdepth 1 -iname "$1" -print -quit
}
below() {
  find "$FOLDER" -mindepth 2 -maxdepth 2 -iname "$1" -print -quit
}
if [ -z "$(top MENU.DAT)" ] && [ -z "$(top autorun.inf)" ]; then
  for name in MENU.DAT autorun.inf; do
    found=$(below "$name")
    if [ -n "$found" ]; then
      echo "disc: $FOLDER is not the disc's root: ${found#"$FOLDER"/} lies one folder down." >&2
      echo "disc: give the folder that holds $name itself: $(dirname "$found")" >&2
      exit 1
    fi
  done
fi

# The label: Joliet keeps 16 characters of it, ISO 9660 32 bytes; the
# autorun.inf written here carries it in Shift-JIS, as Japanese Windows reads it.
if [ -n "$LABEL" ]; then
  chars=$(printf '%s' "$LABEL" | iconv -f UTF-8 -t UTF-32LE 2>/dev/null | wc -c) ||
    { echo "disc: the label is not UTF-8 text" >&2; exit 1; }
  bytes=$(printf '%s' "$LABEL" | wc -c)
  if [ $((chars / 4)) -gt 16 ] || [ "$bytes" -gt 32 ]; then
    echo "disc: the label \"$LABEL\" is too long: at most 16 characters and 32 bytes" \
         "of UTF-8 (10 Japanese characters)" >&2
    exit 1
  fi
  if ! printf '%s' "$LABEL" | iconv -f UTF-8 -t CP932 >/dev/null 2>&1; then
    echo "disc: the label \"$LABEL\" holds characters Shift-JIS has not;" \
         "Japanese Windows could not show it" >&2
    exit 1
  fi
  if printf '%s' "$LABEL" | LC_ALL=C grep -q '[[:cntrl:]]'; then
    echo "disc: the label holds a control character" >&2
    exit 1
  fi
else
  # The folder's name in the characters ISO 9660 allows.
  LABEL=$(basename "$(cd "$FOLDER" && pwd)" | tr '[:lower:]' '[:upper:]' | tr -c 'A-Z0-9_\n' '_' | cut -c1-16)
  LABEL=${LABEL:-MENU_DISC}
fi

if [ -n "$SIGN" ]; then
  [ -f "$SIGN" ] || { echo "disc: the certificate $SIGN is not there" >&2; exit 1; }
  [ -z "$PASS_FILE" ] || [ -f "$PASS_FILE" ] ||
    { echo "disc: the password file $PASS_FILE is not there" >&2; exit 1; }
  command -v osslsigncode >/dev/null ||
    { echo "disc: osslsigncode is missing (scripts/deps.sh installs it)" >&2; exit 1; }
elif [ -n "$PASS_FILE$TIMESTAMP" ]; then
  echo "disc: --pass-file and --timestamp go with --sign" >&2
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

# One date for every file and for the volume, so that the same folder makes
# the same image byte for byte: SOURCE_DATE_EPOCH, else the newest file's.
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  EPOCH=$SOURCE_DATE_EPOCH
  case $EPOCH in
    ''|*[!0-9]*) echo "disc: SOURCE_DATE_EPOCH is no number of seconds" >&2; exit 1 ;;
  esac
else
  EPOCH=$(find "$FOLDER" -type f -printf '%T@\n' | sort -n | tail -n 1 | cut -d. -f1)
  EPOCH=${EPOCH:-0}
fi
REPORT="${OUT%.*}.report.txt"

STAGE=$(mktemp -d /tmp/menu-disc.XXXXXX)
trap 'rm -rf "$STAGE" "$STAGE.report" "$STAGE.html" "$STAGE.sign" "$STAGE.xorriso"' EXIT
cp -R "$FOLDER/." "$STAGE/"

# has NAME: whether the staging copy holds NAME, in any case (as on a disc).
has() {
  [ -n "$(find "$STAGE" -maxdepth 1 -iname "$1" -print -quit)" ]
}

# MENU.EXE replaces whatever copy the folder had, so the disc gets this build.
find "$STAGE" -maxdepth 1 -iname MENU.EXE -exec rm -f {} +
cp "$MENU_EXE" "$STAGE/MENU.EXE"

# The copy on the disc is signed, never the build's own program. Without a
# time-stamp server the signing time is fixed, so that the same certificate
# signs the same bytes.
if [ -n "$SIGN" ]; then
  sign=(osslsigncode sign -pkcs12 "$SIGN" -h sha256 -in "$STAGE/MENU.EXE"
        -out "$STAGE/MENU.EXE.signed")
  if [ -n "$TIMESTAMP" ]; then
    sign+=(-ts "$TIMESTAMP")
  else
    sign+=(-time "$EPOCH")
  fi
  status=0
  if [ -n "$PASS_FILE" ]; then
    "${sign[@]}" -readpass "$PASS_FILE" >"$STAGE.sign" 2>&1 || status=$?
  elif [ -n "${MENU_SIGN_PASSWORD+set}" ]; then
    printf '%s' "$MENU_SIGN_PASSWORD" | "${sign[@]}" -readpass - >"$STAGE.sign" 2>&1 || status=$?
  else
    "${sign[@]}" >"$STAGE.sign" 2>&1 </dev/null || status=$?
  fi
  if [ "$status" -ne 0 ] || [ ! -s "$STAGE/MENU.EXE.signed" ]; then
    sed 's/^/  /' "$STAGE.sign" >&2
    echo "disc: signing MENU.EXE with $SIGN failed; no image made" >&2
    exit 1
  fi
  mv "$STAGE/MENU.EXE.signed" "$STAGE/MENU.EXE"
  rm -f "$STAGE.sign"
  echo "disc: signed MENU.EXE (SHA-256${TIMESTAMP:+, time-stamped by $TIMESTAMP})"
fi

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
  {
    printf '[autorun]\r\nopen=MENU.EXE\r\nicon=MENU.EXE,0\r\nlabel='
    printf '%s' "$LABEL" | iconv -f UTF-8 -t CP932
    printf '\r\n'
  } >"$STAGE/autorun.inf"
  echo "disc: added autorun.inf"
fi

status=0
"$CHECKER" --shown-as="$FOLDER" "$STAGE" >"$STAGE.report" || status=$?
case $status in
  0) tail -n 1 "$STAGE.report" ;;
  1) cat "$STAGE.report" ;;
  *) cat "$STAGE.report"
     rm -f "$STAGE.report"
     echo "disc: menucheck found errors; no image made" >&2
     exit 1 ;;
esac

# INDEX.HTM: the menu for a browser, where MENU.EXE cannot start; made
# from MENU.DAT every time, so it never tells other than the menu.
if has INDEX.HTM; then
  find "$STAGE" -maxdepth 1 -iname INDEX.HTM -exec rm -f {} +
  echo "disc: the folder's INDEX.HTM is replaced by the page made from MENU.DAT"
fi
status=0
"$CHECKER" --html --lang="${MENU_DISC_LANG:-ja}" --title="$LABEL" "$STAGE" \
  >"$STAGE.html" || status=$?
if [ "$status" -gt 2 ]; then
  rm -f "$STAGE.html"
  echo "disc: menucheck could not write INDEX.HTM; no image made" >&2
  exit 1
fi
mv "$STAGE.html" "$STAGE/INDEX.HTM"

mkdir -p "$(dirname "$OUT")"
rm -f "$OUT" "$REPORT"
# Every name of the copy gets the one date; xorriso takes the volume's dates
# and ids from SOURCE_DATE_EPOCH and sorts every directory itself.
find "$STAGE" -exec touch -h -d "@$EPOCH" {} +
stamp=$(date -u -d "@$EPOCH" +%Y%m%d%H%M%S00)
# Level 1 names for the ISO 9660 tree, Joliet for Windows' long names.
if ! SOURCE_DATE_EPOCH=$EPOCH xorriso -as mkisofs -quiet -iso-level 1 -J -V "$LABEL" \
     --modification-date="$stamp" --set_all_file_dates set_to_mtime -uid 0 -gid 0 \
     -o "$OUT" "$STAGE" 2>"$STAGE.xorriso"; then
  cat "$STAGE.xorriso" >&2
  rm -f "$OUT"
  echo "disc: xorriso could not make the image" >&2
  exit 1
fi
mv "$STAGE.report" "$REPORT"
echo "disc: made $OUT (menucheck's report: $REPORT)"
