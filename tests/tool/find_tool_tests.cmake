# dtbtool find and replace: one line a match, exit statuses as grep's, and
# files changed whole or not at all.
set(P "[^\t]*sample.dtb\t")
dtbtool_case(find_texts 0 ARGS find ${SAMPLE} --text WINDOW QUIET
  STDOUT_MATCH "^${P}settings/window/1\tString\\(0x12\\)\tMain Window\n$")
dtbtool_case(find_escaped 0 ARGS find ${SAMPLE} --regex "^line.*two$" --case QUIET
  STDOUT_MATCH "^${P}settings/5\tString\\(0x20\\)\tline one\\\\nline two\n$")
dtbtool_case(find_numbers 0 ARGS find ${SAMPLE} --value 1..3 --type 0x10 QUIET
  STDOUT_MATCH "^${P}settings\tNode\\(0x10\\)\t07 00 01 00 00 00\n$")
# A float is found by the digits it is listed with.
dtbtool_case(find_float_as_listed 0 ARGS find ${FIX}/floats.dtb --value 40.299999 QUIET
  STDOUT_MATCH "^[^\t]*floats.dtb\t0\tFloat\\(0x01\\)\t40.299999\n$")
dtbtool_case(find_names_whole 0 ARGS find ${SAMPLE} ${SAMPLE} --name WINDOW --whole QUIET
  STDOUT_MATCH "^${P}settings/window/0\tString\\(0x05\\)\twindow\n${P}settings/window/0\t[^\n]*\n$")
dtbtool_case(find_names_part 1 ARGS find ${SAMPLE} --name WIND --whole STDOUT_MATCH "^$" QUIET)
dtbtool_case(find_none 1 ARGS find ${SAMPLE} --text zzz STDOUT_MATCH "^$" QUIET)
dtbtool_case(find_missing_file 2 ARGS find ${FIX}/missing.dtb ${SAMPLE} --text Window
  STDOUT_MATCH "^${P}settings/window/1\t" STDERR "^Could not open file .*missing.dtb")
dtbtool_case(find_bad_regex 2 ARGS find ${SAMPLE} --regex "a(" STDERR "^The pattern is not valid at position 2: a '\\(' has no '\\)' to close it.\n$")
dtbtool_case(find_two_criteria 2 ARGS find ${SAMPLE} --text a --name b STDERR "exactly one of --text")
dtbtool_case(find_no_file 2 ARGS find --text a STDERR "^dtbtool: give one or more files")
dtbtool_case(find_bad_type 2 ARGS find ${SAMPLE} --text a --type 3 STDERR "^dtbtool: --type takes a chunk type code")

dtbtool_case(replace_prepare_rep1 0 ARGS copy ${SAMPLE} ${FIX}/rep1.dtb QUIET)
foreach(copy rep2 rep3 rep4)  # after rep1: the two-file case waits for rep2 alone
  dtbtool_case(replace_prepare_${copy} 0 ARGS copy ${SAMPLE} ${FIX}/${copy}.dtb QUIET AFTER replace_prepare_rep1)
endforeach()
dtbtool_case(replace_two_files 0 ARGS replace ${FIX}/rep1.dtb ${FIX}/rep2.dtb --text Window --with Frame QUIET
  STDOUT_MATCH "rep1.dtb: 1 replaced\n.*rep2.dtb: 1 replaced\n$" AFTER replace_prepare_rep2)
dtbtool_case(replace_result 0 ARGS list ${FIX}/rep2.dtb STDOUT_MATCH "\tMain Frame\t6\n" AFTER replace_two_files)
# A refusal anywhere leaves the file as it was, and the other files go on.
dtbtool_case(replace_refused 1 ARGS replace ${FIX}/missing.dtb ${FIX}/rep3.dtb --value 42 --with abc
  STDERR "missing.dtb: not changed: Could not open file .*rep3.dtb: not changed: Nothing was replaced: the chunk at settings/1 refuses it: \"abc\" is not a whole number"
  AFTER replace_prepare_rep3)
files_equal(replace_refused_keeps ${SAMPLE} ${FIX}/rep3.dtb replace_refused)
dtbtool_case(replace_dry_run 0 ARGS replace ${FIX}/rep4.dtb --value 42 --with 43 --dry-run QUIET
  STDOUT_MATCH "^[^\t]*rep4.dtb\tsettings/1\tInteger\\(0x00\\)\t42 -> 43\n.*rep4.dtb: 1 would be replaced\n$"
  AFTER replace_prepare_rep4)
files_equal(replace_dry_run_keeps ${SAMPLE} ${FIX}/rep4.dtb replace_dry_run)
dtbtool_case(replace_no_with 2 ARGS replace ${SAMPLE} --text a STDERR "and --with")

# Nothing here is undone, so a change past what the editor's undo holds is
# made without a word about it.
dtbtool_case(replace_prepare_many 0 ARGS copy ${FIX}/many_values.dtb ${FIX}/many.dtb QUIET)
dtbtool_case(replace_past_undo 0 ARGS replace ${FIX}/many.dtb --value 5 --with 6 QUIET
  STDOUT_MATCH "many.dtb: 1200000 replaced\n$" AFTER replace_prepare_many)
