# Runs kestrun-demo unattended under Xvfb and checks that it ended well and saved its picture.
get_filename_component(folder ${SCREENSHOT} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
file(REMOVE ${SCREENSHOT})
# Used only where the program is built with AddressSanitizer.
set(ENV{LSAN_OPTIONS} "suppressions=${SUPPRESSIONS}")
execute_process(COMMAND ${XVFB_RUN} -a -s "-screen 0 1024x768x24" ${PROGRAM} ${SCENARIO}
                        --speed 200 --unattended --screenshot ${SCREENSHOT}
                RESULT_VARIABLE code OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT code STREQUAL "0")
    message(FATAL_ERROR "exit ${code}:\n${output}")
endif()
file(SIZE ${SCREENSHOT} size)
if(size LESS 1000)
    message(FATAL_ERROR "${SCREENSHOT} holds ${size} bytes")
endif()
message(STATUS "screenshot: ${SCREENSHOT}")
