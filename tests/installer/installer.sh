#!/usr/bin/env bash
# The Windows packages as a user meets them: the ZIP holds both programs and
# the README; the installer, run silently in a fresh Wine prefix, puts them
# in Program Files with a Start menu shortcut and opens .dtb files in the
# editor (a file started through the association shows in its title); its
# uninstaller leaves nothing of it behind.
# Usage: installer.sh BUILD_DIR SAMPLE WORK_DIR
set -uo pipefail
build=$1 sample=$2 work=$3
root="$(cd "$(dirname "$0")/../.." && pwd)"
rm -rf "$work" && mkdir -p "$work"
export WINEPREFIX="$work/prefix"
source "$root/scripts/wine-env.sh"
source "$root/scripts/editor-session.sh"
fail() { echo "FAIL: $*" >&2; wineserver -k 2>/dev/null; exit 1; }

(cd "$build" && cpack -B "$work/packages" >"$work/cpack.log" 2>&1) || fail "cpack: $(tail -3 "$work/cpack.log")"
installer="$(ls "$work"/packages/dtbedit-*-win64.exe)"
zip="$(ls "$work"/packages/dtbedit-*-win64.zip)"
listing="$(unzip -Z1 "$zip")"
for f in dtbedit.exe dtbtool.exe README.md; do
  grep -q "/$f\$" <<<"$listing" || fail "the ZIP lacks $f"
done

wine_prefix fresh
wine "$installer" /S || fail "the installer failed"
wineserver -w
program="$WINEPREFIX/drive_c/Program Files/KLV DTB Editor"
for f in dtbedit.exe dtbtool.exe README.md Uninstall.exe; do
  [ -f "$program/$f" ] || fail "$f was not installed"
done
shortcut="$(find "$WINEPREFIX/drive_c" -name 'KLV DTB Editor.lnk' | head -1)"
[ -n "$shortcut" ] || fail "no Start menu shortcut"
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KLV DTB Editor'
wine reg query "$uninstall" >/dev/null 2>&1 || fail "no uninstall entry"
wine reg query 'HKCR\.dtb' 2>/dev/null | grep -q KLV.DTBFile || fail ".dtb is not registered"
wine reg query 'HKCR\KLV.DTBFile\shell\open\command' 2>/dev/null | grep -qF 'dtbedit.exe" "%1"' ||
  fail "the Open verb is not the editor's"

# Started through the association, as a double click does.
cp "$sample" "$work/double click.dtb"
wine explorer /desktop=installer,1280x1024 >/dev/null 2>&1 &
sleep 1
wine start /unix "$work/double click.dtb" >/dev/null 2>&1
wait_for 60 window_named 'KLV DTB Editor v1.0d - .*double click\.dtb$' || fail "the file did not open in the editor"
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null

# The uninstaller copies itself away and returns at once: wait for it.
wine "C:\\Program Files\\KLV DTB Editor\\Uninstall.exe" /S
wait_for 60 test ! -e "$program" || fail "the program folder is still there"
wineserver -w
[ ! -e "$shortcut" ] || fail "the Start menu shortcut is still there"
! wine reg query 'HKCR\.dtb' >/dev/null 2>&1 || fail ".dtb is still registered"
! wine reg query 'HKCR\KLV.DTBFile' >/dev/null 2>&1 || fail "the file type is still registered"
! wine reg query "$uninstall" >/dev/null 2>&1 || fail "the uninstall entry is still there"
wineserver -k 2>/dev/null
echo "installer: installed, opened a .dtb file, uninstalled without a trace"
