# dtbtool get and set: list's lines by path, and values stored as the Data
# box reads them, all or nothing.
dtbtool_case(get_lines 1 ARGS get ${SAMPLE} settings/window/1 nothing "#3" settings/1/0
  STDOUT_MATCH "^String\\(0x12\\)\tMain Window\t6\nFloat\\(0x01\\)\t1.500000\t3\n$"
  STDERR "^[^\n]*sample.dtb: nothing: There is no chunk at \"nothing\".\n[^\n]*sample.dtb: settings/1/0: \"settings/1\" is not a node: nothing is under it.\n$")
dtbtool_case(get_escaped 0 ARGS get ${SAMPLE} settings/5 QUIET STDOUT_MATCH "^String\\(0x20\\)\tline one\\\\nline two\t10\n$")
# A top-level position has no bound of 65,535.
dtbtool_case(get_past_65535 0 ARGS get ${FIX}/paths.dtb 65536 69000 QUIET
  STDOUT_MATCH "^Integer\\(0x00\\)\t[0-9]+\t[0-9]+\nInteger\\(0x00\\)\t[0-9]+\t[0-9]+\n$")
dtbtool_case(get_no_path 2 ARGS get ${SAMPLE} STDERR "^usage")

dtbtool_case(set_prepare 0 ARGS copy ${SAMPLE} ${FIX}/set.dtb QUIET)
dtbtool_case(set_values 0 ARGS set ${FIX}/set.dtb settings/1 0x10 settings/2 -2.5e3 settings/window/1 "Main Frame"
  QUIET AFTER set_prepare)
dtbtool_case(set_hex 0 ARGS set ${FIX}/set.dtb --hex settings/window/2 "FE FF FF FF" settings/4 "41 0A 42" QUIET AFTER set_values)
dtbtool_case(set_values_stored 0 ARGS get ${FIX}/set.dtb settings/1 settings/2 settings/window/1 settings/window/2 settings/4
  STDOUT_MATCH "^Integer\\(0x00\\)\t16\t2\nFloat\\(0x01\\)\t-2500.000000\t3\nString\\(0x12\\)\tMain Frame\t6\nInteger\\(0x00\\)\t-2\t7\n[^\t]*\tA\\\\nB\t9\n$"
  QUIET AFTER set_hex)
dtbtool_case(set_kept_prepare 0 ARGS copy ${SAMPLE} ${FIX}/set_kept.dtb QUIET)
dtbtool_case(set_refused 1 ARGS set ${FIX}/set_kept.dtb settings/window/1 ok settings/1 1.5 settings "09 00 01" AFTER set_kept_prepare
  STDERR "^[^\n]*set_kept.dtb: not changed: settings/1 refuses \"1.5\": An Integer takes a whole number from -2147483648 to 2147483647, or up to eight hex digits after 0x.\n[^\n]*set_kept.dtb: not changed: settings refuses \"09 00 01\": The child count of a node")
files_equal(set_refused_keeps ${SAMPLE} ${FIX}/set_kept.dtb set_refused)
dtbtool_case(set_odd 2 ARGS set ${SAMPLE} settings/1 STDERR "^usage")
dtbtool_case(set_unknown_option 2 ARGS set ${SAMPLE} --hexx settings/1 5 STDERR "^usage")

if(NOT WIN32)
  add_test(NAME dtbtool_paths COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/path_cases.sh $<TARGET_FILE:dtbtool> ${FIX}
    ${CMAKE_CURRENT_BINARY_DIR}/path_cases)
  set_tests_properties(dtbtool_paths PROPERTIES FIXTURES_REQUIRED tool_files)
endif()
