#!/usr/bin/env bash
# Builds the Windows editor and starts it under Wine.
#
# With a DISPLAY (a desktop session, or ssh -X): the editor simply runs on it.
# Without one: it runs on a virtual 1280x1024 screen, opens
# samples/sample.dtb through its own Open dialog, saves a screenshot to
# build/screenshot.png and ends. BUILD_DIR chooses the build tree
# (default build/windows).
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
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1

if [ -n "${DISPLAY:-}" ] && [ -z "${RUN_EDITOR_SHOT:-}" ]; then
  exec wine "$editor"
fi

if [ -z "${RUN_EDITOR_SHOT:-}" ]; then
  exec env RUN_EDITOR_SHOT=1 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0"
fi

# Here on the virtual screen.
shot="$root/build/screenshot.png"
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}
window_named() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }

wine explorer /desktop=shot,1280x1024 "$editor" >/dev/null 2>&1 &
trap 'wineserver -k 2>/dev/null || true' EXIT
if ! wait_for 60 window_named '^KLV DTB Editor v1.0d$'; then
  echo "the editor's window did not appear" >&2
  exit 1
fi
main="$(xdotool search --onlyvisible --name '^KLV DTB Editor v1.0d$' | head -1)"
xdotool windowfocus "$main" 2>/dev/null || true
sleep 0.5
xdotool key ctrl+o
if wait_for 30 window_named '^Load DTB File'; then
  sleep 0.5
  xdotool type --delay 20 "$(winepath -w "$root/samples/sample.dtb" 2>/dev/null)"
  xdotool key Return
  if wait_for 30 window_named 'sample\.dtb$'; then
    # Show the first node opened and its first child in the detail pane.
    xdotool mousemove --window "$main" 80 120 click 1
    sleep 0.3
    xdotool key Home Right Down
    sleep 0.5
  else
    echo "could not open the sample file; the screenshot shows the empty editor" >&2
  fi
fi
mkdir -p "$(dirname "$shot")"
import -window root "$shot"
echo "screenshot: $shot"
