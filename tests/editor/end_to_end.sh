#!/usr/bin/env bash
# The editor as a user meets it: started as a program, driven by real key
# strokes and one mouse click on the X display it is given. Opens a copy of a
# DTB file through the real open dialog, changes the Integer in the tree's
# third item, saves with Ctrl+S; in Find and Replace, meets a real message
# box and, once it is closed, types Delete, which must stay with the dialog;
# saves again, ends with Alt+F4 (Esc no longer ends it), and checks with
# dtbtool list that the file holds that edit and nothing else changed.
#
# usage: end_to_end.sh EDITOR DTBTOOL SAMPLE WORKDIR [EMULATOR]
set -euo pipefail
editor="$1" tool="$2" sample="$3" work="$4" emulator="${5:-wine}"
copy="$work/edit.dtb"
source "$(dirname "$0")/e2e_session.sh"
list_of() { "$emulator" "$tool" list "$1" 2>/dev/null | tr -d '\r'; }

open_copy

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

# In Find and Replace the keys stay the dialog's: after a real message box
# it raises, and after Replace All selects its chunk in the tree, Delete
# does not reach the tree.
xdotool key ctrl+h
wait_for 30 window_named '^Find and Replace$' || fail "Ctrl+H did not show Find and Replace"
sleep 0.5
xdotool key alt+x alt+n
xdotool type --delay 30 "(a"
xdotool key Return
wait_for 30 window_named '^KLV DTB Editor v1.0d$' || fail "the bad pattern was not said"
sleep 0.5
xdotool key Return
wait_for 30 window_gone '^KLV DTB Editor v1.0d$' || fail "Enter did not close the message"
sleep 0.5
xdotool key alt+x alt+i alt+n End shift+Home
xdotool type --delay 30 "4242"
xdotool key alt+p
xdotool type --delay 30 "4243"
xdotool key alt+l
sleep 1
xdotool key Delete
sleep 0.5
xdotool key Escape  # closes the dialog
sleep 0.5
xdotool key ctrl+s
sleep 1
xdotool key Escape  # no longer ends the program: only Exit and the close box do
sleep 1
editor_ended && fail "Esc ended the editor"
xdotool key alt+F4  # saved: no question
wait_for 30 editor_ended || fail "Alt+F4 did not end the editor"
trap - EXIT

expected="$(list_of "$sample" | sed 's/^Integer(0x00)\t42\t2$/Integer(0x00)\t4243\t2/')"
actual="$(list_of "$work/edit.dtb")"
if [ "$expected" != "$actual" ]; then
  diff <(echo "$expected") <(echo "$actual") >&2 || true
  fail "the saved file does not read back as edited"
fi
grep -q $'^Integer(0x00)\t4243\t2$' <<<"$actual" || fail "the edit is missing"
echo "saved file reads back as edited"
