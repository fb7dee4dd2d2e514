# The stand-in for the stick's resident application, QivarGUIMain.exe: a real PE file, built
# with the MinGW binutils alone, that carries nothing but its version block. The stand-in main
# image holds it, and tests of the version reader can read it directly. Included by
# res/CMakeLists.txt; sets KESTRUN_STANDIN_QIVAR_EXE and the target kestrun_standin_qivar.

find_program(KESTRUN_MINGW_AS x86_64-w64-mingw32-as REQUIRED)
find_program(KESTRUN_MINGW_LD x86_64-w64-mingw32-ld REQUIRED)

set(KESTRUN_QIVAR_SOURCE_DIR ${CMAKE_CURRENT_SOURCE_DIR}/payload/qivar
    CACHE INTERNAL "Sources of the stand-in QivarGUIMain.exe")

# Links a QivarGUIMain.exe at EXE from the version script RC, in the folder of EXE.
function(kestrun_link_qivar_stand_in EXE RC)
    get_filename_component(dir ${EXE} DIRECTORY)
    file(MAKE_DIRECTORY ${dir})
    add_custom_command(
        OUTPUT ${EXE}
        COMMAND ${KESTRUN_MINGW_AS} -o ${dir}/entry.o ${KESTRUN_QIVAR_SOURCE_DIR}/entry.s
        COMMAND ${KESTRUN_WINDRES} ${KESTRUN_WINDRES_OPTIONS} -O coff -i ${RC}
                -o ${dir}/version.o
        # -s and --no-insert-timestamp: no symbol table and no link time in the file.
        COMMAND ${KESTRUN_MINGW_LD} -s --no-insert-timestamp --subsystem windows --entry start
                -o ${EXE} ${dir}/entry.o ${dir}/version.o
        DEPENDS ${KESTRUN_QIVAR_SOURCE_DIR}/entry.s ${RC}
        COMMENT "Linking ${EXE}"
        VERBATIM)
endfunction()

set(KESTRUN_STANDIN_QIVAR_EXE ${CMAKE_CURRENT_BINARY_DIR}/qivar/QivarGUIMain.exe
    CACHE INTERNAL "The stand-in QivarGUIMain.exe, made by the target kestrun_standin_qivar")
kestrun_link_qivar_stand_in(${KESTRUN_STANDIN_QIVAR_EXE}
                            ${KESTRUN_QIVAR_SOURCE_DIR}/QivarGUIMain.rc)
add_custom_target(kestrun_standin_qivar ALL DEPENDS ${KESTRUN_STANDIN_QIVAR_EXE})
