# A copy never leaves its temporary file behind.
file(GLOB left ${DIR}/*.new* ${DIR}/~dtb*)
if(left)
  message(FATAL_ERROR "left behind: ${left}")
endif()
