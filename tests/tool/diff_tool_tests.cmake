# dtbtool diff and merge: the lines a user reads, exit statuses as diff's,
# and a merge written only when nothing conflicts.
dtbtool_case(diff_same 0 ARGS diff ${FIX}/mod_base.dtb ${FIX}/mod_base.dtb STDOUT_MATCH "^$" QUIET)
dtbtool_case(diff_lines 1 ARGS diff ${FIX}/mod_base.dtb ${FIX}/mod_both.dtb QUIET
  STDOUT_MATCH "^~ settings/1  Integer\\(0x00\\) 42 -> Integer\\(0x00\\) 43\n~ settings/2  Function\\(0x02\\) sky -> Function\\(0x02\\) a\\\\tb\n\\+ items/3  Integer\\(0x00\\) 9\n$")
dtbtool_case(diff_json 1 ARGS diff ${FIX}/mod_base.dtb ${FIX}/mod_theirs.dtb --json QUIET
  STDOUT_MATCH "^{\"kind\":\"added\",\"path\":\"items/3\",\"new\":\"Integer\\(0x00\\) 9\"}\n$")
dtbtool_case(diff_rekey 0 ARGS copy ${FIX}/mod_base.dtb ${FIX}/mod_rekeyed.dtb --key 7 QUIET)
dtbtool_case(diff_key_alone 1 ARGS diff ${FIX}/mod_base.dtb ${FIX}/mod_rekeyed.dtb QUIET
  STDOUT_MATCH "^~ key  34 12 00 00 -> 07 00 00 00\n$" AFTER diff_rekey)
dtbtool_case(diff_missing 2 ARGS diff ${FIX}/mod_base.dtb ${FIX}/missing.dtb STDERR "^Could not open file")
dtbtool_case(diff_usage 2 ARGS diff ${FIX}/mod_base.dtb STDERR "^usage")

dtbtool_case(merge_clean 0 ARGS merge ${FIX}/mod_base.dtb ${FIX}/mod_ours.dtb ${FIX}/mod_theirs.dtb -o ${FIX}/merged.dtb QUIET)
files_equal(merge_clean_both ${FIX}/mod_both.dtb ${FIX}/merged.dtb merge_clean)
dtbtool_case(merge_conflict 1 ARGS merge ${FIX}/mod_base.dtb ${FIX}/mod_ours.dtb ${FIX}/mod_clash.dtb -o ${FIX}/never.dtb
  STDOUT_MATCH "^! settings/1  base Integer\\(0x00\\) 42 \\| ours Integer\\(0x00\\) 43 \\| theirs Integer\\(0x00\\) 44\n$"
  STDERR "^1 conflict: .*never.dtb not written\n$")
dtbtool_case(merge_favor 0 ARGS merge ${FIX}/mod_base.dtb ${FIX}/mod_ours.dtb ${FIX}/mod_clash.dtb -o ${FIX}/favored.dtb
  --favor theirs QUIET)
dtbtool_case(merge_favored_value 0 ARGS list ${FIX}/favored.dtb STDOUT_MATCH "Integer\\(0x00\\)\t44\t2.Function\\(0x02\\)\ta\\\\tb\t3" AFTER merge_favor)
dtbtool_case(merge_usage 2 ARGS merge ${FIX}/mod_base.dtb ${FIX}/mod_ours.dtb -o ${FIX}/never.dtb STDERR "^usage")
dtbtool_case(merge_missing 2 ARGS merge ${FIX}/mod_base.dtb ${FIX}/missing.dtb ${FIX}/mod_ours.dtb -o ${FIX}/never.dtb
  STDERR "^Could not open file")
dtbtool_case(merge_wrote_nothing 1 ARGS list ${FIX}/never.dtb STDERR "^Could not open file" AFTER merge_conflict)

# git with the three lines of the README, on a repository of its own.
if(NOT WIN32)
  add_test(NAME dtbtool_git COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/git_cases.sh $<TARGET_FILE:dtbtool> ${FIX}
    ${CMAKE_CURRENT_BINARY_DIR}/git_cases)
  set_tests_properties(dtbtool_git PROPERTIES FIXTURES_REQUIRED tool_files)
endif()

# A path is printed as it is typed back, escaped once: a\/b names the node a/b.
set(SLASH "a\\\\/b/1  ")
dtbtool_case(diff_escaped_path 1 ARGS diff ${FIX}/slash1.dtb ${FIX}/slash2.dtb QUIET
  STDOUT_MATCH "^~ ${SLASH}Integer\\(0x00\\) 1 -> Integer\\(0x00\\) 2\n$")
dtbtool_case(diff_escaped_path_json 1 ARGS diff ${FIX}/slash1.dtb ${FIX}/slash2.dtb --json QUIET
  STDOUT_MATCH "^{\"kind\":\"changed\",\"path\":\"a\\\\\\\\/b/1\",")
# As git's merge driver, OUT is git's temporary: --name says which file it stands for.
dtbtool_case(merge_escaped_path_named 1 ARGS merge ${FIX}/slash1.dtb ${FIX}/slash2.dtb ${FIX}/slash3.dtb
  -o ${FIX}/.merge_file_x --name data/mod.dtb
  STDOUT_MATCH "^! ${SLASH}base Integer\\(0x00\\) 1 \\| ours Integer\\(0x00\\) 2 \\| theirs Integer\\(0x00\\) 3\n$"
  STDERR "^1 conflict: data/mod.dtb not written\n$")
dtbtool_case(merge_named_save 2 ARGS merge ${FIX}/slash1.dtb ${FIX}/slash2.dtb ${FIX}/slash2.dtb
  -o ${FIX}/no/such/folder/x.dtb --name data/mod.dtb STDERR "^SAVE FAILED: Could not create file data/mod.dtb \\([0-9]+\\)\n$")
