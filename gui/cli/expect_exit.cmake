# Runs kestrun-cli on SCENARIO, answering yes, and fails unless it exits with EXPECTED.
execute_process(COMMAND ${PROGRAM} --yes --simulate ${SCENARIO} RESULT_VARIABLE code
                OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT code STREQUAL EXPECTED)
    message(FATAL_ERROR "exit ${code}, expected ${EXPECTED}:\n${output}")
endif()
