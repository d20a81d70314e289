# dtbtool tree and check on files made for them, on the sample, and on usage
# errors.
add_executable(make_tree_files make_tree_files.cpp)
target_link_libraries(make_tree_files PRIVATE dtb_test_support)

set(TREE_FILES ${CMAKE_CURRENT_BINARY_DIR}/tree_files)
set(TREE_EXPECTED ${CMAKE_CURRENT_SOURCE_DIR}/expected)
add_test(NAME tree_files_dir COMMAND ${CMAKE_COMMAND} -E make_directory ${TREE_FILES})
add_test(NAME tree_files COMMAND make_tree_files ${TREE_FILES})
set_tests_properties(tree_files_dir PROPERTIES FIXTURES_SETUP tree_dir)
set_tests_properties(tree_files PROPERTIES FIXTURES_REQUIRED tree_dir FIXTURES_SETUP tree_files)

# tree_tool_case(NAME EXIT [STDOUT file] [STDERR regex] ARGS...): without
# STDERR, standard error must stay empty.
function(tree_tool_case name exit)
  cmake_parse_arguments(C "" "STDOUT;STDERR" "ARGS" ${ARGN})
  string(REPLACE ";" "|" joined "${C_ARGS}")
  set(defs -DTOOL=$<TARGET_FILE:dtbtool> -DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR} -DARGS=${joined} -DEXIT=${exit})
  if(C_STDOUT)
    list(APPEND defs -DSTDOUT_FILE=${TREE_EXPECTED}/${C_STDOUT})
  endif()
  if(C_STDERR)
    list(APPEND defs "-DSTDERR_MATCH=${C_STDERR}")
  else()
    list(APPEND defs -DSTDERR_EMPTY=1)
  endif()
  add_test(NAME dtbtool_${name} COMMAND ${CMAKE_COMMAND} ${defs} -P ${CMAKE_CURRENT_SOURCE_DIR}/run_tool.cmake)
  set_tests_properties(dtbtool_${name} PROPERTIES FIXTURES_REQUIRED tree_files)
endfunction()

set(SAMPLE_DTB ${PROJECT_SOURCE_DIR}/samples/sample.dtb)
tree_tool_case(tree_sample 0 STDOUT tree_sample.txt ARGS tree ${SAMPLE_DTB})
tree_tool_case(tree_sample_hidden 0 STDOUT tree_sample_hidden.txt ARGS tree ${SAMPLE_DTB} --hide-identifiers)
tree_tool_case(tree_faults 0 STDOUT tree_faults.txt ARGS tree ${TREE_FILES}/faults.dtb)
tree_tool_case(tree_wide 0 STDOUT tree_wide.txt ARGS tree ${TREE_FILES}/wide.dtb)
tree_tool_case(tree_truncated 0 STDOUT tree_truncated.txt ARGS tree ${TREE_FILES}/truncated.dtb
  STDERR "^The file ends inside a chunk: its last 14 bytes were not loaded and will not be saved.\n$")
tree_tool_case(tree_bad_option 2 ARGS tree ${SAMPLE_DTB} --hide STDERR "^usage: dtbtool")

tree_tool_case(check_sample 0 STDOUT tree_empty.txt ARGS check ${SAMPLE_DTB})
tree_tool_case(check_empty 0 STDOUT tree_empty.txt ARGS check ${TREE_FILES}/empty.dtb)
tree_tool_case(check_faults 1 STDOUT check_faults.txt ARGS check ${TREE_FILES}/faults.dtb)
tree_tool_case(check_header_count 1 STDOUT check_header_count.txt ARGS check ${TREE_FILES}/header_count.dtb)
tree_tool_case(check_truncated 1 STDOUT check_truncated.txt ARGS check ${TREE_FILES}/truncated.dtb
  STDERR "^The file ends inside a chunk")
tree_tool_case(check_missing 1 ARGS check ${TREE_FILES}/missing.dtb STDERR "^Could not open file")
tree_tool_case(check_two_files 2 ARGS check ${SAMPLE_DTB} ${SAMPLE_DTB} STDERR "^usage: dtbtool")
