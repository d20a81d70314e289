#!/usr/bin/env bash
# Builds the Windows editor and starts it under Wine.
#
# With a DISPLAY (a desktop session, or ssh -X): the editor simply runs on it.
# Without one: it runs on a virtual 1280x1024 screen, opens
# samples/sample.dtb through its own Open dialog, saves a screenshot to
# build/screenshot.png and ends. BUILD_DIR chooses the build tree
# (default build/windows). DPI=144 or DPI=192 takes the screenshot at 150 %
# or 200 % (into build/screenshot-150.png, ...) on a screen as much larger.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
build="${BUILD_DIR:-build/windows}"

bash scripts/setup.sh
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j2 --target dtbedit >/dev/null
editor="$root/$build/src/editor/dtbedit.exe"
source scripts/wine-env.sh
wine_prefix

if [ -n "${DISPLAY:-}" ] && [ -z "${RUN_EDITOR_SHOT:-}" ]; then
  exec wine "$editor"
fi

dpi="${DPI:-96}"
percent=$((dpi * 100 / 96))
size="$((1280 * percent / 100))x$((1024 * percent / 100))"
if [ -z "${RUN_EDITOR_SHOT:-}" ]; then
  exec env RUN_EDITOR_SHOT=1 xvfb-run -a -s "-screen 0 ${size}x24" bash "$0"
fi

# Here on the virtual screen, at the DPI asked for (Wine reads it from the
# user's desktop settings).
source scripts/editor-session.sh
shot="$root/build/screenshot.png"
[ "$dpi" = 96 ] || shot="$root/build/screenshot-$percent.png"
set_dpi() { wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }
set_dpi "$dpi"
wine explorer /desktop=shot,"$size" "$editor" >/dev/null 2>&1 &
# The prefix is shared with the tests, which drive the editor at 100 %.
trap 'wineserver -k 2>/dev/null || true; set_dpi 96; wineserver -w 2>/dev/null || true' EXIT
if open_in_editor "$(winepath -w "$root/samples/sample.dtb" 2>/dev/null)"; then
  # Show the first node opened and its first child in the detail pane.
  xdotool mousemove --window "$main" $((80 * percent / 100)) $((120 * percent / 100)) click 1
  sleep 0.3
  xdotool key Home Right Down
  sleep 0.5
elif [ -z "${main:-}" ]; then
  exit 1
else
  echo "could not open the sample file; the screenshot shows the empty editor" >&2
fi
mkdir -p "$(dirname "$shot")"
import -window root "$shot"
echo "screenshot: $shot"
