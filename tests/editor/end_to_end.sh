#!/usr/bin/env bash
# The editor as a user meets it: started as a program, driven by real key
# strokes and one mouse click on the X display it is given. Opens a copy of a
# DTB file through the real open dialog, changes the Integer in the tree's
# third item, saves with Ctrl+S, ends with Esc, and checks with dtbtool list
# that the file holds that edit and nothing else changed.
#
# usage: end_to_end.sh EDITOR DTBTOOL SAMPLE WORKDIR [EMULATOR]
set -euo pipefail
editor="$1" tool="$2" sample="$3" work="$4" emulator="${5:-wine}"
if [ -z "${DISPLAY:-}" ]; then
  echo "no DISPLAY: run inside xvfb-run" >&2
  exit 1
fi
for program in xdotool winepath; do
  command -v "$program" >/dev/null || { echo "missing $program" >&2; exit 1; }
done

rm -rf "$work"
mkdir -p "$work"
cp "$sample" "$work/edit.dtb"
file_path="$(winepath -w "$work/edit.dtb" 2>/dev/null)"

"$emulator" "$editor" >"$work/editor.log" 2>&1 &
editor_pid=$!
trap 'kill "$editor_pid" 2>/dev/null || true' EXIT

fail() {
  echo "FAILED: $*" >&2
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
file_changed() { ! cmp -s "$sample" "$work/edit.dtb"; }
editor_ended() { ! kill -0 "$editor_pid" 2>/dev/null; }
list_of() { "$emulator" "$tool" list "$1" 2>/dev/null | tr -d '\r'; }

wait_for 60 window_named '^KLV DTB Editor v1.0d$' || fail "the main window did not appear"
main="$(xdotool search --onlyvisible --name '^KLV DTB Editor v1.0d$' | head -1)"
xdotool windowfocus --sync "$main" 2>/dev/null || xdotool windowfocus "$main"
sleep 0.5

xdotool key ctrl+o
wait_for 30 window_named '^Load DTB File' || fail "Ctrl+O did not show the open dialog"
sleep 0.5
xdotool type --delay 30 "$file_path"
xdotool key Return
wait_for 30 window_named 'edit\.dtb$' || fail "the file did not open"

# Into the tree: one click, then the keyboard. Items start collapsed: Home is
# the first node, Right opens it, two steps down is its Integer 42.
xdotool mousemove --window "$main" 80 120 click 1
sleep 0.3
xdotool key Home Right Down Down
sleep 0.3
xdotool key alt+d
xdotool type --delay 30 "4242"
xdotool key ctrl+s
wait_for 30 file_changed || fail "Ctrl+S did not write the file"
xdotool key Escape
wait_for 30 editor_ended || fail "Esc did not end the editor"
trap - EXIT

expected="$(list_of "$sample" | sed 's/^Integer(0x00)\t42\t2$/Integer(0x00)\t4242\t2/')"
actual="$(list_of "$work/edit.dtb")"
if [ "$expected" != "$actual" ]; then
  diff <(echo "$expected") <(echo "$actual") >&2 || true
  fail "the saved file does not read back as edited"
fi
grep -q $'^Integer(0x00)\t4242\t2$' <<<"$actual" || fail "the edit is missing"
echo "saved file reads back as edited"
