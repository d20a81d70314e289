#!/usr/bin/env bash
# Paths as every command prints them read back through get to the chunk
# they were printed for; set changes a file wholly or not at all.
#   path_cases.sh TOOL FILES SCRATCH
# FILES holds paths.dtb (names that need escaping, more than 65,535
# top-level chunks), names.dtb (such names alone, few enough to merge) and
# chain.dtb (30,000 levels deep).
set -uo pipefail
export LC_ALL=C
tool=$1 file=$2/paths.dtb chain=$2/chain.dtb dir=$3
rm -rf "$dir" && mkdir -p "$dir" && cd "$dir" || exit 1
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# find's FILE, path, label, value against get's label, value, index: the
# same label and value, at chunks that ascend as find's do (table order), so
# no two of its paths name one chunk.
check() {
  "$tool" find "$file" "$@" > found.txt || fail "find $*"
  cut -f2 found.txt | xargs -r -d '\n' "$tool" get "$file" > got.txt 2> got.err || fail "get of find's paths ($*): $(head -3 got.err)"
  awk -F'\t' 'NR == FNR { want[FNR] = $3 "\t" $4; n = FNR; next }
    $1 "\t" $2 != want[FNR] || (FNR > 1 && $3 + 0 <= last) { print FNR ": " $0 " for " want[FNR]; exit 1 }
    { last = $3 + 0 } END { if (FNR != n) { print FNR " lines for " n; exit 1 } }' found.txt got.txt ||
    fail "find and get disagree ($*)"
}
check --value 0..2147483647
cut -f2 found.txt | awk '/^[0-9]+$/ && $0 > 65535 { n++ } END { exit n < 4000 }' || fail "too few top-level positions past 65,535"
check --regex .
for name in / '[' ']' '\' 1 0 '#' a x $'\xE9' $'\x01'; do check --name "$name"; done

# set, then diff and merge name the chunks set by the very paths given.
file=$2/names.dtb
"$tool" find "$file" --value 0..2147483647 --type 0 | grep -F '\' | cut -f2 | head -20 > chosen.txt
[ "$(wc -l < chosen.txt)" = 20 ] || fail "too few escaped paths to set"
pairs() { while IFS= read -r path; do printf '%s\n%s\n' "$path" "$1"; done < chosen.txt; }
cp "$file" ours.dtb && cp "$file" theirs.dtb
pairs -7 | xargs -d '\n' "$tool" set ours.dtb || fail "set of 20 values"
pairs 0x63 | xargs -d '\n' "$tool" set theirs.dtb || fail "set of 20 hex values"
"$tool" diff "$file" ours.dtb > diff.txt
sed 's/^~ \(.*\)  Integer(0x00) [0-9]* -> Integer(0x00) -7$/\1/' diff.txt | cmp -s - chosen.txt ||
  fail "diff names other paths than set was given: $(head -3 diff.txt)"
"$tool" diff "$file" ours.dtb --json > diff.json
sed 's/.*"path":"\([^"]*\)".*/\1/; s/\\\\/\\/g' diff.json | iconv -f UTF-8 -t ISO-8859-1 |
  cmp -s - chosen.txt ||
  fail "diff --json does not escape the paths once"
"$tool" merge "$file" ours.dtb theirs.dtb -o never.dtb > merge.txt 2> merge.err
sed 's/^! \(.*\)  base .*| ours Integer(0x00) -7 | theirs Integer(0x00) 99$/\1/' merge.txt | cmp -s - chosen.txt ||
  fail "merge names other paths than set was given: $(head -3 merge.txt)"
grep -qx '20 conflicts: never.dtb not written' merge.err || fail "merge says: $(cat merge.err)"

# A refused value or path anywhere among the pairs leaves every byte.
keeps() {
  cp "$file" kept.dtb
  "$tool" set kept.dtb "$@" > /dev/null 2> set.err && fail "set $* was not refused"
  cmp -s "$file" kept.dtb || fail "set $* changed the file"
  [ -s set.err ] || fail "set $* said nothing"
}
first=$(head -1 chosen.txt)
keeps "$first" 1 "$first/0" 2
keeps "$first" 1 "$(sed -n 2p chosen.txt)" 2147483648
keeps "$first" 1 99999 5
keeps --hex "$first" "01 02 03"
grep -qxF "kept.dtb: not changed: $first refuses \"01 02 03\": In Hex, this chunk takes exactly four hex bytes, such as 01 02 0A FF." set.err ||
  fail "the refusal says: $(cat set.err)"
# A value is never taken for an option: these are refused as values.
cp "$file" dashes.dtb
"$tool" set dashes.dtb --hex "$first" -- 2> set.err
[ $? = 1 ] && grep -q 'refuses "--": In Hex' set.err || fail "-- as hex bytes: $(cat set.err)"
"$tool" set dashes.dtb "$first" --hex 2> set.err
[ $? = 1 ] && grep -q 'refuses "--hex": An Integer' set.err || fail "--hex as an integer: $(cat set.err)"

# find prints each match as it is made: the first lines of a chain whose
# paths add up to gigabytes come at once, and a closed pipe ends the run.
lines=$(timeout 20 "$tool" find "$chain" --name level --whole | head -2 | cut -f2)
[ "$lines" = $'level/0\nlevel/level/0' ] || fail "find on the chain printed: ${lines:0:200}"

[ $failures = 0 ] && echo ok
exit $((failures > 0))
