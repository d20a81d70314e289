#!/bin/bash
# git set up as the README shows: changes to different values of a DTB file
# on two branches merge with both kept, changes to the same value stop with
# a conflict that names the file as git does, and git diff shows the
# changed value's JSON line.
# Arguments: dtbtool, the folder of the test files, a scratch folder.
set -euo pipefail
tool="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
files="$2"
repo="$3"
rm -rf "$repo"
mkdir -p "$repo"
cd "$repo"
fail() { echo "FAIL: $*" >&2; exit 1; }

git init -q -b main .
git config user.name test
git config user.email test@example.invalid
echo '*.dtb diff=dtb merge=dtb' > .gitattributes
git config diff.dtb.textconv "$tool export"
git config merge.dtb.driver "$tool merge %O %A %B -o %A --name %P"
cp "$files/mod_base.dtb" data.dtb
git add . && git commit -qm base

git checkout -qb ours && cp "$files/mod_ours.dtb" data.dtb && git commit -qam ours
git diff main ours -- data.dtb | grep -q '^+.*"value": 43' || fail "git diff does not show the changed value"
git checkout -qb theirs main && cp "$files/mod_theirs.dtb" data.dtb && git commit -qam theirs
git checkout -qb clash main && cp "$files/mod_clash.dtb" data.dtb && git commit -qam clash

git checkout -q ours
git merge -q --no-edit theirs || fail "changes in different places did not merge"
cmp -s data.dtb "$files/mod_both.dtb" || fail "the merge does not hold both changes"

git checkout -q -b ours2 ours~1
if git merge -q --no-edit clash >merge.log 2>&1; then fail "the same value changed two ways merged"; fi
grep -q 'CONFLICT' merge.log || fail "git reports no conflict: $(cat merge.log)"
grep -qx '1 conflict: data.dtb not written' merge.log || fail "the driver names another file: $(cat merge.log)"
cmp -s data.dtb "$files/mod_ours.dtb" || fail "a conflicted merge changed our file"
echo ok
