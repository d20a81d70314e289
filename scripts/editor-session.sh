# Sourced by the scripts that drive the real editor on an X display with
# xdotool (the end-to-end tests, the screenshot of run-editor.sh): polling,
# and opening a file through the editor's own open dialog.

# wait_for SECONDS COMMAND...: polls the command until it succeeds; false
# when the time runs out.
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}
window_named() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }

# open_in_editor WINDOWS_PATH: waits for the main window, focuses it (as
# $main), presses Ctrl+O and types the path into the open dialog. Says what
# went wrong and returns 1 when a step does not happen.
open_in_editor() {
  local title='^KLV DTB Editor v1.0d$'
  wait_for 60 window_named "$title" || { echo "the main window did not appear" >&2; return 1; }
  main="$(xdotool search --onlyvisible --name "$title" | head -1)"
  xdotool windowfocus --sync "$main" 2>/dev/null || xdotool windowfocus "$main" 2>/dev/null || true
  sleep 0.5
  xdotool key ctrl+o
  wait_for 30 window_named '^Load DTB File' || { echo "Ctrl+O did not show the open dialog" >&2; return 1; }
  sleep 0.5
  xdotool type --delay 30 "$1"
  xdotool key Return
  local name="${1##*\\}"
  wait_for 30 window_named "${name//./\\.}\$" || { echo "the file did not open" >&2; return 1; }
}
