// The real machine put together: the program's own version comes from its embedded resources,
// asked for by the path the logic sees for the program.

#include "pe_test_files.h"
#include "platform/linux/linux_machine.h"

#include <gtest/gtest.h>

namespace {

TEST(LinuxMachine, TheProgramsOwnVersionFromItsResources) {
    const auto resources = test::ReadBytes(KESTRUN_TEST_PROGRAM_RES);
    platform::linux_backend::LinuxMachine machine(resources);
    platform::VersionInfo& versions = machine.fileVersions();

    char path[260] = {};
    machine.drives().moduleFileName(path);
    const std::uint32_t size = versions.size(path);
    ASSERT_GT(size, 0u) << path;
    std::vector<std::uint8_t> block(size);
    ASSERT_TRUE(versions.read(path, block));
    const auto fixed = versions.queryValue(block, "\\");
    ASSERT_TRUE(fixed);
    // dwFileVersionMS and LS of 4, 0, 1, 3.
    EXPECT_EQ((*fixed)[8] | (*fixed)[9] << 8 | (*fixed)[10] << 16 | (*fixed)[11] << 24, 0x40000);
    EXPECT_EQ((*fixed)[12] | (*fixed)[13] << 8 | (*fixed)[14] << 16 | (*fixed)[15] << 24, 0x10003);
    // Any other path names a file: the stand-in is a PE file with a version, a missing file has
    // none.
    EXPECT_GT(versions.size(test::StandInQivar().c_str()), 0u);
    EXPECT_EQ(versions.size("/nonexistent/QivarGUIMain.exe"), 0u);
    EXPECT_FALSE(machine.accessDenial());
}

} // namespace
