# Sourced by the end-to-end scripts: checks the display and the tools, puts
# a copy of the sample at $copy, starts the editor on it in the background
# (ended when the script exits) and gives the helpers every script polls
# with. Expects editor, sample, work, copy and emulator to be set.
if [ -z "${DISPLAY:-}" ]; then
  echo "no DISPLAY: run inside xvfb-run" >&2
  exit 1
fi
for program in xdotool winepath; do
  command -v "$program" >/dev/null || { echo "missing $program" >&2; exit 1; }
done

rm -rf "$work"
mkdir -p "$work"
cp "$sample" "$copy"
file_path="$(winepath -w "$copy" 2>/dev/null)"

"$emulator" "$editor" >"$work/editor.log" 2>&1 &
editor_pid=$!
trap 'kill "$editor_pid" 2>/dev/null || true' EXIT

fail() {
  echo "FAILED: $*" >&2
  # What the screen showed, and which windows were up, for whoever reads the log.
  import -window root "$work/failure.png" 2>/dev/null && echo "screen: $work/failure.png" >&2
  xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | sed 's/^/window: /' >&2
  exit 1
}

# Polls a condition for at most $1 seconds.
wait_for() {
  local seconds="$1"
  shift
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}
window_named() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
window_gone() { ! window_named "$1"; }
file_changed() { ! cmp -s "$sample" "$copy"; }
editor_ended() { ! kill -0 "$editor_pid" 2>/dev/null; }

# Waits for the main window, focuses it (as $main) and opens the copy
# through the real open dialog.
open_copy() {
  wait_for 60 window_named '^KLV DTB Editor v1.0d$' || fail "the main window did not appear"
  main="$(xdotool search --onlyvisible --name '^KLV DTB Editor v1.0d$' | head -1)"
  xdotool windowfocus --sync "$main" 2>/dev/null || xdotool windowfocus "$main"
  sleep 0.5
  xdotool key ctrl+o
  wait_for 30 window_named '^Load DTB File' || fail "Ctrl+O did not show the open dialog"
  sleep 0.5
  xdotool type --delay 30 "$file_path"
  xdotool key Return
  wait_for 30 window_named "$(basename "$copy" | sed 's/\./\\./g')\$" || fail "the file did not open"
}
