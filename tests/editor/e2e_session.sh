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

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/editor-session.sh"
window_gone() { ! window_named "$1"; }
file_changed() { ! cmp -s "$sample" "$copy"; }
editor_ended() { ! kill -0 "$editor_pid" 2>/dev/null; }

# Opens the copy through the real open dialog; $main is the main window.
open_copy() { open_in_editor "$file_path" || fail "could not open the copy"; }
