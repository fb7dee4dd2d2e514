# The stand-in for the stick's resident application, QivarGUIMain.exe: a real PE file, built
# with the MinGW binutils alone, that carries nothing but its version block. The stand-in main
# image holds it, and tests of the version reader can read it directly. Included by
# res/CMakeLists.txt; sets KESTRUN_STANDIN_QIVAR_EXE and the target kestrun_standin_qivar.

find_program(KESTRUN_MINGW_AS x86_64-w64-mingw32-as REQUIRED)
find_program(KESTRUN_MINGW_LD x86_64-w64-mingw32-ld REQUIRED)

set(qivarSource ${CMAKE_CURRENT_SOURCE_DIR}/payload/qivar)
set(qivarDir ${CMAKE_CURRENT_BINARY_DIR}/qivar)
file(MAKE_DIRECTORY ${qivarDir})

set(KESTRUN_STANDIN_QIVAR_EXE ${qivarDir}/QivarGUIMain.exe
    CACHE INTERNAL "The stand-in QivarGUIMain.exe, made by the target kestrun_standin_qivar")
add_custom_command(
    OUTPUT ${KESTRUN_STANDIN_QIVAR_EXE}
    COMMAND ${KESTRUN_MINGW_AS} -o ${qivarDir}/entry.o ${qivarSource}/entry.s
    COMMAND ${KESTRUN_WINDRES} ${KESTRUN_WINDRES_OPTIONS} -O coff
            -i ${qivarSource}/QivarGUIMain.rc -o ${qivarDir}/version.o
    # -s and --no-insert-timestamp: no symbol table and no link time in the file.
    COMMAND ${KESTRUN_MINGW_LD} -s --no-insert-timestamp --subsystem windows --entry start
            -o ${KESTRUN_STANDIN_QIVAR_EXE} ${qivarDir}/entry.o ${qivarDir}/version.o
    DEPENDS ${qivarSource}/entry.s ${qivarSource}/QivarGUIMain.rc
    COMMENT "Linking the stand-in QivarGUIMain.exe"
    VERBATIM)
add_custom_target(kestrun_standin_qivar ALL DEPENDS ${KESTRUN_STANDIN_QIVAR_EXE})
