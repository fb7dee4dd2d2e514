// The real machine put together: the program's own version comes from its embedded resources,
// asked for by the path the logic sees for the program.

#include "pe_test_files.h"
#include "platform/linux/linux_machine.h"

#include <gtest/gtest.h>

namespace {

class NoControls final : public platform::DialogControls {
  public:
    void setText(int, std::string_view) override {}
    void enable(int, bool) override {}
    void setProgressRange(int, std::uint16_t, std::uint16_t) override {}
    void setProgressPos(int, int) override {}
    void enableCloseCommand(bool) override {}
};

TEST(LinuxMachine, TheProgramsOwnVersionFromItsResources) {
    const auto resources = test::ReadBytes(KESTRUN_TEST_PROGRAM_RES);
    platform::linux_backend::LinuxMachine machine(resources);
    NoControls controls;
    platform::Platform system = machine.platform(controls);

    char path[260] = {};
    system.drives.moduleFileName(path);
    const std::uint32_t size = system.versionInfo.size(path);
    ASSERT_GT(size, 0u) << path;
    std::vector<std::uint8_t> block(size);
    ASSERT_TRUE(system.versionInfo.read(path, block));
    const auto fixed = system.versionInfo.queryValue(block, "\\");
    ASSERT_TRUE(fixed);
    // dwFileVersionMS and LS of 4, 0, 1, 3.
    EXPECT_EQ((*fixed)[8] | (*fixed)[9] << 8 | (*fixed)[10] << 16 | (*fixed)[11] << 24, 0x40000);
    EXPECT_EQ((*fixed)[12] | (*fixed)[13] << 8 | (*fixed)[14] << 16 | (*fixed)[15] << 24, 0x10003);
    // Any other path names a file: the stand-in is a PE file with a version, a missing file has
    // none.
    EXPECT_GT(system.versionInfo.size(test::StandInQivar().c_str()), 0u);
    EXPECT_EQ(system.versionInfo.size("/nonexistent/QivarGUIMain.exe"), 0u);
    EXPECT_FALSE(machine.accessDenial());
}

} // namespace
