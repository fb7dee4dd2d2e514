# The stand-in firmware images, made from the sources in this folder with xorriso, gzip and
# mkimage; the main image holds the stand-in QivarGUIMain.exe (qivar_stand_in.cmake). Included by
# res/CMakeLists.txt; sets KESTRUN_MAIN_ISO_SOURCE, KESTRUN_MIGRATION_ISO_SOURCE and
# KESTRUN_MIGRATION_KERNEL_SOURCE to the files it makes.
#
# The same sources, tools and KESTRUN_SOURCE_DATE_EPOCH give the same bytes on every build.

# Looked for here so that a missing tool stops the configuration rather than the build; the
# scripts run them from the PATH.
find_program(KESTRUN_XORRISO xorriso REQUIRED)
find_program(KESTRUN_MKIMAGE mkimage REQUIRED)
find_program(KESTRUN_GZIP gzip REQUIRED)

set(standinSource ${CMAKE_CURRENT_SOURCE_DIR}/payload)
set(standinDir ${CMAKE_CURRENT_BINARY_DIR}/standin)
file(MAKE_DIRECTORY ${standinDir})

# The main image's volume label: a product abbreviation of six upper-case letters.
set(mainVolumeId KESTRN)
# The migration image is labelled with the build's time stamp, as VER_yymmdd_hhmm.
set(savedEpoch "$ENV{SOURCE_DATE_EPOCH}")
set(ENV{SOURCE_DATE_EPOCH} ${KESTRUN_SOURCE_DATE_EPOCH})
string(TIMESTAMP migrationVolumeId "VER_%y%m%d_%H%M" UTC)
set(ENV{SOURCE_DATE_EPOCH} "${savedEpoch}")
# mkimage keeps 32 bytes for the name; the stand-in's fills 20 of them, like the maker's.
set(kernelImageName kestrun-standin-kern)

set(KESTRUN_MAIN_ISO_SOURCE ${standinDir}/main.iso)
set(mainJolietFiles
    ${KESTRUN_STANDIN_QIVAR_EXE} ${standinSource}/main/autorun.inf ${standinSource}/main/Readme.txt)
set(mainJolietOptions)
foreach(file IN LISTS mainJolietFiles)
    list(APPEND mainJolietOptions --joliet-file ${file})
endforeach()
add_custom_command(
    OUTPUT ${KESTRUN_MAIN_ISO_SOURCE}
    COMMAND bash ${standinSource}/make-iso.sh --output ${KESTRUN_MAIN_ISO_SOURCE}
            --volume-id ${mainVolumeId} --sectors ${KESTRUN_MAIN_ISO_SECTORS}
            --epoch ${KESTRUN_SOURCE_DATE_EPOCH}
            --pattern-tool $<TARGET_FILE:payload-pattern> --filler QivarData.bin
            --iso-file ${standinSource}/README.TXT ${mainJolietOptions}
    DEPENDS ${standinSource}/make-iso.sh ${standinSource}/README.TXT ${mainJolietFiles}
            payload-pattern
    COMMENT "Making the stand-in main ISO image"
    VERBATIM)

set(KESTRUN_MIGRATION_ISO_SOURCE ${standinDir}/migration.iso)
add_custom_command(
    OUTPUT ${KESTRUN_MIGRATION_ISO_SOURCE}
    COMMAND bash ${standinSource}/make-iso.sh --output ${KESTRUN_MIGRATION_ISO_SOURCE}
            --volume-id ${migrationVolumeId} --sectors ${KESTRUN_MIGRATION_ISO_SECTORS}
            --epoch ${KESTRUN_SOURCE_DATE_EPOCH}
            --pattern-tool $<TARGET_FILE:payload-pattern> --hidden-filler
            --iso-file ${standinSource}/README.TXT
            --joliet-file ${standinSource}/migration/ReleaseNote.txt
    DEPENDS ${standinSource}/make-iso.sh ${standinSource}/README.TXT
            ${standinSource}/migration/ReleaseNote.txt payload-pattern
    COMMENT "Making the stand-in migration ISO image"
    VERBATIM)

set(KESTRUN_MIGRATION_KERNEL_SOURCE ${standinDir}/migration-kernel.img)
add_custom_command(
    OUTPUT ${KESTRUN_MIGRATION_KERNEL_SOURCE}
    COMMAND bash ${standinSource}/make-kernel.sh --output ${KESTRUN_MIGRATION_KERNEL_SOURCE}
            --name ${kernelImageName} --data-length ${KESTRUN_MIGRATION_KERNEL_DATA_LENGTH}
            --epoch ${KESTRUN_SOURCE_DATE_EPOCH} --pattern-tool $<TARGET_FILE:payload-pattern>
    DEPENDS ${standinSource}/make-kernel.sh payload-pattern
    COMMENT "Making the stand-in migration kernel image"
    VERBATIM)
