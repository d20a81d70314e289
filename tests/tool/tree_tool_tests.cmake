# dtbtool tree and check on files made for them, on the sample, and on usage
# errors.
set(TREE_EXPECTED ${CMAKE_CURRENT_SOURCE_DIR}/expected)
dtbtool_case(tree_sample 0 STDOUT ${TREE_EXPECTED}/tree_sample.txt QUIET ARGS tree ${SAMPLE})
dtbtool_case(tree_sample_hidden 0 STDOUT ${TREE_EXPECTED}/tree_sample_hidden.txt QUIET ARGS tree ${SAMPLE} --hide-identifiers)
dtbtool_case(tree_faults 0 STDOUT ${TREE_EXPECTED}/tree_faults.txt QUIET ARGS tree ${FIX}/faults.dtb)
dtbtool_case(tree_wide 0 STDOUT ${TREE_EXPECTED}/tree_wide.txt QUIET ARGS tree ${FIX}/wide.dtb)
dtbtool_case(tree_truncated 0 STDOUT ${TREE_EXPECTED}/tree_truncated.txt ARGS tree ${FIX}/tree_truncated.dtb
  STDERR "^The file ends inside a chunk: its last 14 bytes were not loaded and will not be saved.\n$")
dtbtool_case(tree_bad_option 2 ARGS tree ${SAMPLE} --hide STDERR "^usage: dtbtool")

dtbtool_case(check_sample 0 STDOUT ${TREE_EXPECTED}/tree_empty.txt QUIET ARGS check ${SAMPLE})
dtbtool_case(check_empty 0 STDOUT ${TREE_EXPECTED}/tree_empty.txt QUIET ARGS check ${FIX}/empty.dtb)
dtbtool_case(check_faults 1 STDOUT ${TREE_EXPECTED}/check_faults.txt QUIET ARGS check ${FIX}/faults.dtb)
dtbtool_case(check_header_count 1 STDOUT ${TREE_EXPECTED}/check_header_count.txt QUIET ARGS check ${FIX}/header_count.dtb)
dtbtool_case(check_truncated 1 STDOUT ${TREE_EXPECTED}/check_truncated.txt ARGS check ${FIX}/tree_truncated.dtb
  STDERR "^The file ends inside a chunk")
# Repair: the faults are listed, the counts set to what the table holds, the
# rest of the file kept byte for byte.
dtbtool_case(check_repair 0 STDOUT ${TREE_EXPECTED}/check_faults.txt QUIET ARGS check ${FIX}/faults.dtb --repair ${FIX}/repaired.dtb)
files_equal(check_repair_bytes ${FIX}/faults_repaired.dtb ${FIX}/repaired.dtb check_repair)
dtbtool_case(check_repair_truncated 0 STDOUT ${TREE_EXPECTED}/check_truncated.txt ARGS check ${FIX}/tree_truncated.dtb
  --repair ${FIX}/truncated_repaired.dtb STDERR "^The file ends inside a chunk")
dtbtool_case(check_repaired_truncated 0 STDOUT ${TREE_EXPECTED}/tree_empty.txt QUIET ARGS check ${FIX}/truncated_repaired.dtb
  AFTER check_repair_truncated)
dtbtool_case(check_repair_no_out 2 ARGS check ${SAMPLE} --repair STDERR "^usage: dtbtool")
dtbtool_case(check_missing 1 ARGS check ${FIX}/missing.dtb STDERR "^Could not open file")
dtbtool_case(check_two_files 2 ARGS check ${SAMPLE} ${SAMPLE} STDERR "^usage: dtbtool")
