# Runs kestrun-cli --timing on SCENARIO. On the simulated PC time passes only in the tool's
# pauses, so the update's wall time must equal its pauses, be more than nothing, and leave no
# time to the tool's own work.
execute_process(COMMAND ${PROGRAM} --yes --timing --simulate ${SCENARIO}
                OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE code)
if(NOT code STREQUAL "0")
    message(FATAL_ERROR "exit ${code}:\n${output}${errors}")
endif()
if(NOT errors MATCHES "Timing: update ([0-9]+) ms, pauses ([0-9]+) ms, own work 0 ms \\(0.00 %\\)")
    message(FATAL_ERROR "no timing line on stderr:\n${errors}")
endif()
if(NOT CMAKE_MATCH_1 EQUAL CMAKE_MATCH_2 OR CMAKE_MATCH_1 EQUAL 0)
    message(FATAL_ERROR "update ${CMAKE_MATCH_1} ms against pauses ${CMAKE_MATCH_2} ms")
endif()
