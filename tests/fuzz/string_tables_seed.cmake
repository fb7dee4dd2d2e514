# Makes the string-table seed of the string_tables fuzz target from the project's resource
# script: its #pragma and #define lines, its LANGUAGE statements and its STRINGTABLE blocks,
# nothing else (no images), compiled with windres. Run with -DSCRIPT=... -DOUT=... -DWINDRES=...
# -DPREPROCESSOR=...
cmake_minimum_required(VERSION 3.25)
file(STRINGS ${SCRIPT} lines ENCODING UTF-8)
set(kept "")
set(inTable FALSE)
foreach(line IN LISTS lines)
    if(line MATCHES "^STRINGTABLE")
        set(inTable TRUE)
    endif()
    if(inTable OR line MATCHES "^#pragma" OR line MATCHES "^#define" OR line MATCHES "^LANGUAGE")
        string(APPEND kept "${line}\n")
    endif()
    if(inTable AND line MATCHES "^END")
        set(inTable FALSE)
    endif()
endforeach()
file(WRITE ${OUT}.rc "${kept}")
execute_process(
    COMMAND ${WINDRES} --preprocessor=${PREPROCESSOR} --preprocessor-arg=-DRC_INVOKED -O res
            -i ${OUT}.rc -o ${OUT}
    RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "windres failed on the string tables: ${errors}")
endif()
