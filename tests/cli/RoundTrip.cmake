# Runs `PROGRAM check --json INPUT` and fails unless the output equals INPUT byte for byte.
execute_process(COMMAND ${PROGRAM} check --json ${INPUT}
                OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "check --json exited ${status}: ${errors}")
endif()
file(READ ${INPUT} expected)
if(NOT output STREQUAL expected)
    message(FATAL_ERROR "round trip differs:\n--- expected\n${expected}--- got\n${output}")
endif()
