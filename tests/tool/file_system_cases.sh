#!/usr/bin/env bash
# dtbtool copy against what a real POSIX file system holds at OUT: the file
# keeps its mode, a link stays a link, what is not a file is refused without
# blocking, and names at the system's limits save like any other.
#   file_system_cases.sh TOOL SAMPLE FOLDER
set -uo pipefail
tool=$1 sample=$2 dir=$3
rm -rf "$dir" && mkdir -p "$dir"
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
same() { cmp -s "$1" "$2" || fail "$1 differs from $2"; }

printf 'old' > "$dir/private.dtb" && chmod 600 "$dir/private.dtb"
"$tool" copy "$sample" "$dir/private.dtb" || fail "copy onto a mode 600 file"
same "$sample" "$dir/private.dtb"
[ "$(stat -c %a "$dir/private.dtb")" = 600 ] || fail "mode 600 became $(stat -c %a "$dir/private.dtb")"

ln -s private.dtb "$dir/link.dtb"
printf 'old' > "$dir/private.dtb"
"$tool" copy "$sample" "$dir/link.dtb" || fail "copy through a link"
[ -L "$dir/link.dtb" ] || fail "the link was replaced by a file"
same "$sample" "$dir/private.dtb"

printf 'old' > "$dir/locked.dtb" && chmod 444 "$dir/locked.dtb"
err=$("$tool" copy "$sample" "$dir/locked.dtb" 2>&1); code=$?
[ $code = 1 ] || fail "read-only OUT: exit $code"
[ "$err" = "SAVE FAILED: Could not create file $dir/locked.dtb (13)" ] || fail "read-only OUT said: $err"
[ "$(cat "$dir/locked.dtb")" = old ] || fail "read-only OUT was changed"

mkfifo "$dir/pipe"
err=$(timeout 20 "$tool" copy "$sample" "$dir/pipe" 2>&1); code=$?
[ $code = 1 ] || fail "pipe as OUT: exit $code"
[ "$err" = "SAVE FAILED: $dir/pipe is not a regular file" ] || fail "pipe as OUT said: $err"

# Leftovers of earlier versions and of other programs never block a copy.
printf 'x' > "$dir/private.dtb.new" && printf 'y' > "$dir/private.dtb.new0"
"$tool" copy "$sample" "$dir/private.dtb" || fail "copy beside leftovers"
[ "$(cat "$dir/private.dtb.new")$(cat "$dir/private.dtb.new0")" = xy ] || fail "a leftover was changed"

# A name of 251 to 255 characters, in a path far past any fixed buffer.
deep="$dir/$(printf 'd%.0s' {1..200})/$(printf 'e%.0s' {1..200})"
mkdir -p "$deep"
for n in 251 255; do
  out="$deep/$(printf 'n%.0s' $(seq $((n - 4)))).dtb"
  "$tool" copy "$sample" "$out" || fail "copy to a name of $n characters"
  same "$sample" "$out"
done
[ "$(ls -A "$deep" | wc -l)" = 2 ] || fail "leftovers beside the long names: $(ls -A "$deep")"
[ -z "$(find "$dir" -name '~dtb*')" ] || fail "temporaries left: $(find "$dir" -name '~dtb*')"

exit $((failures > 0))
