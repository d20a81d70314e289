#!/usr/bin/env bash
# dtbtool copy onto a file system that fills up half-way through the save:
# the message carries the system's code for a full disk (never 0), the file
# that was there stays whole, and nothing is left behind. Needs root to
# mount a 64 KiB file system; skipped (77) where that is not allowed.
#   full_disk.sh TOOL HUGE SAMPLE FOLDER CODE [EMULATOR]
set -uo pipefail
tool=$1 huge=$2 sample=$3 dir=$4 code=$5 emulator=${6:-}
mkdir -p "$dir/disk"
mountpoint -q "$dir/disk" && umount "$dir/disk"
mount -t tmpfs -o size=64k tmpfs "$dir/disk" 2>/dev/null || { echo "cannot mount a small file system: skipped"; exit 77; }
trap 'umount "$dir/disk"' EXIT
cp "$sample" "$dir/disk/kept.dtb"
$emulator "$tool" copy "$huge" "$dir/disk/kept.dtb" 2>"$dir/stderr"; status=$?
err=$(tr -d '\r' <"$dir/stderr")
failures=0
[ $status = 1 ] || { echo "exit $status"; failures=1; }
[ "$err" = "Could not write chunks to file ($code)" ] || { echo "said: $err"; failures=1; }
cmp -s "$sample" "$dir/disk/kept.dtb" || { echo "kept.dtb was changed"; failures=1; }
[ "$(ls -A "$dir/disk")" = kept.dtb ] || { echo "left behind: $(ls -A "$dir/disk")"; failures=1; }
exit $failures
