#!/usr/bin/env bash
# Makes the README's screenshots from the built program: builds it if needed, prints a few
# runs from the command line, opens the window on a private X server (Xvfb), goes to each
# dialog with the keys a user presses (xdotool) and saves each window alone as a PNG
# (ImageMagick's import) in docs/screenshots/. Run by hand; no test calls it.
# Usage: scripts/screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/docs/screenshots

for tool in Xvfb xdotool import cmake; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/setup.sh" >&2; exit 1; }
done

[ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build --target Tallyforge
program=$root/build/src/app/tallyforge

# Everything the program writes goes to a folder of its own: settings, journal, PDFs.
work=$(mktemp -d)
xvfb=
app=
wm=
finish() {
  for pid in $app $wm $xvfb; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in $app $wm $xvfb; do
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap finish EXIT

export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DOCUMENTS_DIR=$work/home/Documents
export LANG=C.UTF-8 LC_ALL=C.UTF-8 LANGUAGE=en
export CUPS_SERVER=127.0.0.1:1 # no print queue: the built-in PDF printer, the same on every machine
export XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME/Documents" "$out" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
settings=$work/Tallyforge.ini

# A series as a user sets one up: a prefix, the second number lower on the page, a
# larger font; then a few runs for the log to show.
printf '%s\r\n' '[SN]' 'LastNumber=1000' 'PageCount=10' 'Prefix=A-' '' \
  '[Paper]' 'HorizontalIndent=1' 'VerticalIndent=1' 'HorizontalIndent2=1' 'VerticalIndent2=9' '' \
  '[Font]' 'Size=28' 'Bold=1' > "$settings"
"$program" --settings "$settings" print --count 25 --output "$work/run1.pdf" --quiet
"$program" --settings "$settings" print --count 10 --output "$work/run2.pdf" --quiet
"$program" --settings "$settings" print --count 50 --digits 6 --output "$work/run3.pdf" --quiet

# The X server says its display number once it accepts connections.
exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null &
xvfb=$!
exec 3>&-
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n1 "$work/display")
# A window manager, when one is installed, gives the dialogs their usual placement; the
# shots hold the windows alone either way.
if command -v openbox >/dev/null; then
  openbox >/dev/null 2>&1 &
  wm=$!
fi

# The first visible window whose title matches, once it is there and drawn.
await() {
  local id
  id=$(timeout 20 xdotool search --sync --onlyvisible --name "$1" | head -n1)
  [ -n "$id" ] || { echo "no window named $1 came up" >&2; exit 1; }
  sleep 1
  echo "$id"
}
gone() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  echo "window $1 did not close" >&2
  exit 1
}
shot() {
  import -window "$1" -strip -define png:compression-level=9 "$out/$2"
  echo "saved docs/screenshots/$2"
}

QT_QPA_PLATFORM=xcb "$program" --settings "$settings" &
app=$!
main=$(await '^Tallyforge')
xdotool windowfocus --sync "$main"
shot "$main" main-window.png

xdotool key alt+f s # File > Print Setup
setup=$(await '^Printer Setup$')
shot "$setup" print-setup.png
xdotool key Escape
gone '^Printer Setup$'

xdotool windowfocus --sync "$main" # without a window manager a closed dialog leaves no focus
xdotool key alt+f l # File > Print Log
log=$(await '^Print Log$')
shot "$log" print-log.png
xdotool key Return # the newest run, reprinted
reprint=$(await '^Reprint$')
shot "$reprint" reprint.png
xdotool key Escape
gone '^Reprint$'
xdotool key Escape
gone '^Print Log$'

xdotool windowfocus --sync "$main"
xdotool key alt+o c # Options > Calibrate Printer
calibrate=$(await '^Calibrate Printer$')
shot "$calibrate" calibrate-printer.png
xdotool key Escape
gone '^Calibrate Printer$'

xdotool windowfocus --sync "$main"
xdotool key alt+f x # File > Exit
for _ in $(seq 100); do
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
