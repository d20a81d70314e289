# Sourced by the scripts that run Windows programs: one quiet Wine prefix
# inside the build tree, without the Mono and Gecko installers, and the one
# way to make it ready.
export WINEPREFIX="${WINEPREFIX:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/wineprefix}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all

# wine_prefix [fresh]: makes the prefix when it is missing (anew with
# "fresh"). Made outside any display, so that no window of its set-up
# lands on a test's screen.
wine_prefix() {
  [ "${1:-}" != fresh ] || rm -rf "$WINEPREFIX"
  [ -f "$WINEPREFIX/system.reg" ] || { DISPLAY= wineboot -i >/dev/null 2>&1; wineserver -w; }
}

# One wineserver for a whole run, with the prefix's own services started
# before the first program: without it every program pays Wine's start-up
# again (seconds, not milliseconds), and services started by a test would
# inherit its output pipes, which ctest then waits on for ever.
wine_session_start() {
  wine_prefix
  # A server still running (the prefix's set-up, an earlier run) would keep
  # -p from starting: it then ends three seconds after its last program,
  # and every later program pays the start-up again.
  wineserver -k 2>/dev/null
  wineserver -w
  wineserver -p >/dev/null 2>&1  # returns once the server is up
  wineboot >/dev/null 2>&1
}
wine_session_end() {
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
}
