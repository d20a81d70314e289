#!/usr/bin/env bash
# Copy and paste of a subtree as a user does it, in the real program on the
# X display it is given: open a copy of the sample, select the node
# "window(2)" in the tree, Ctrl+C, select the node "(-1)", Ctrl+V, choose
# "Insert &Under Current" in the dialog, Ctrl+S, Alt+F4. dtbtool tree must then
# show the copied subtree as the first child of "(-1)" and dtbtool check
# must find every count true.
#
# usage: paste_end_to_end.sh EDITOR DTBTOOL SAMPLE WORKDIR [EMULATOR]
set -euo pipefail
editor="$1" tool="$2" sample="$3" work="$4" emulator="${5:-wine}"
copy="$work/paste.dtb"
source "$(dirname "$0")/e2e_session.sh"
run_tool() { "$emulator" "$tool" "$@" 2>&1 | tr -d '\r'; }

open_copy

# Items start collapsed. Home is "settings(1)", Right opens it, four steps
# down is "window(2)". End is the last top-level item, two up is "(-1)".
xdotool mousemove --window "$main" 80 120 click 1
sleep 0.3
xdotool key Home Right Down Down Down Down
sleep 0.3
xdotool key ctrl+c
sleep 0.3
xdotool key End Up Up
sleep 0.3
xdotool key ctrl+v
wait_for 30 window_named '^Insert Chunk\.\.\.$' || fail "Ctrl+V did not ask where to paste"
sleep 0.3
xdotool key alt+u Return
wait_for 30 window_gone '^Insert Chunk\.\.\.$' || fail "the Insert dialog did not close"
sleep 0.3
xdotool key ctrl+s
wait_for 30 file_changed || fail "Ctrl+S did not write the file"
xdotool key Escape  # no longer ends the program: only Exit and the close box do
sleep 1
editor_ended && fail "Esc ended the editor"
xdotool key alt+F4  # saved: no question
wait_for 30 editor_ended || fail "Alt+F4 did not end the editor"
trap - EXIT

# The sample's tree with the five items of "window(2)" (chunks 4 to 8) copied
# in as the first children of "(-1)" (chunk 13): what follows moves up by 5.
expected="$(run_tool tree "$sample" | awk -F'\t' -v OFS='\t' '
  { line[NR] = $0; fields[NR] = NF; text[NR] = $1; index_of[NR] = $2 }
  NF == 2 && $2 >= 4 && $2 <= 8 { copied[$2] = $1 }
  END {
    for (i = 1; i <= NR; i++) {
      if (fields[i] == 2 && index_of[i] > 13) print text[i], index_of[i] + 5; else print line[i]
      if (fields[i] == 2 && index_of[i] == 13) for (k = 4; k <= 8; k++) print copied[k], k + 10
    }
  }')"
actual="$(run_tool tree "$work/paste.dtb")"
if [ "$expected" != "$actual" ]; then
  diff <(echo "$expected") <(echo "$actual") >&2 || true
  fail "the saved file does not hold the pasted subtree"
fi
check="$(run_tool check "$work/paste.dtb")" || fail "dtbtool check: $check"
[ -z "$check" ] || fail "dtbtool check: $check"
echo "the pasted subtree was saved, and every count is true"
