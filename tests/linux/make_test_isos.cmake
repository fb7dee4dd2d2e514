# Makes the ISO 9660 volumes of the volume reader's tests: the stand-in QivarGUIMain.exe in the
# root and a file two folders down, once with Joliet names and once with plain ISO 9660 names.
# Run with -DQIVAR=... -DOUT=...
cmake_minimum_required(VERSION 3.25)
set(stage ${OUT}/stage)
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${stage}/Tools/Linux)
file(COPY ${QIVAR} DESTINATION ${stage})
file(WRITE ${stage}/Tools/Linux/readme.txt "Kestrun test volume\n")
foreach(kind IN ITEMS joliet plain)
    # Plain: no Joliet and no Rock Ridge, so only the 8.3 names of ISO 9660 remain.
    set(names --norock)
    if(kind STREQUAL "joliet")
        set(names -J)
    endif()
    execute_process(
        COMMAND xorriso -as mkisofs -quiet ${names} -V KESTRUN_TEST -o ${OUT}/${kind}.iso ${stage}
        RESULT_VARIABLE result ERROR_VARIABLE errors)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "xorriso failed: ${errors}")
    endif()
endforeach()
