# Runs one dtbtool case and checks its exit code and output.
#   TOOL, EMULATOR   the program and what runs it (Wine for the Windows build)
#   ARGS             the arguments, separated by "|"
#   EXIT             the expected exit code
#   STDOUT_FILE      optional: the expected standard output, byte for byte
#   STDOUT_MATCH     optional: a regular expression standard output must match
#   STDERR_MATCH     optional: a regular expression standard error must match
#   STDERR_EMPTY     optional: standard error must be empty
#   CAPTURE          optional: where to save standard output
#   INPUT            optional: the file standard input reads
string(REPLACE "|" ";" args "${ARGS}")
set(input)
if(DEFINED INPUT)
  set(input INPUT_FILE ${INPUT})
endif()
execute_process(COMMAND ${EMULATOR} ${TOOL} ${args} ${input}
  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT code STREQUAL "${EXIT}")
  message(FATAL_ERROR "exit ${code}, expected ${EXIT}\nstdout: ${out}\nstderr: ${err}")
endif()
if(DEFINED STDOUT_FILE)
  file(READ ${STDOUT_FILE} expected)
  if(NOT out STREQUAL expected)
    message(FATAL_ERROR "stdout differs from ${STDOUT_FILE}:\n${out}")
  endif()
endif()
if(DEFINED STDOUT_MATCH AND NOT out MATCHES "${STDOUT_MATCH}")
  message(FATAL_ERROR "stdout does not match '${STDOUT_MATCH}': ${out}")
endif()
if(DEFINED STDERR_MATCH AND NOT err MATCHES "${STDERR_MATCH}")
  message(FATAL_ERROR "stderr does not match '${STDERR_MATCH}': ${err}")
endif()
if(STDERR_EMPTY AND NOT err STREQUAL "")
  message(FATAL_ERROR "unexpected stderr: ${err}")
endif()
if(DEFINED CAPTURE)
  file(WRITE ${CAPTURE} "${out}")
endif()
