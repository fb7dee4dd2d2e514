// The backend's system calls on the machine the tests run on, which has no stick: what every
// machine has (a program, mounts, the device manager) must come through as the mapping expects.

#include "platform/linux/mount_table.h"
#include "platform/linux/system_device_nodes.h"
#include "platform/linux/system_host_files.h"
#include "platform/linux/udev_scanner.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

namespace {

using namespace platform::linux_backend;

// The disks below a SCSI device, counted by hand in sysfs: each has a SCSI level.
std::size_t ScsiDisksInSysfs() {
    std::size_t count = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator it("/sys/class/block", error), end;
         !error && it != end; it.increment(error)) {
        const auto& path = it->path();
        if (!std::filesystem::exists(path / "partition") &&
            std::filesystem::exists(path / "device" / "scsi_level")) {
            ++count;
        }
    }
    return count;
}

TEST(SystemParts, DeviceManagerRecordsAreWellFormed) {
    const auto records = UdevScanner().scan();
    EXPECT_EQ(records.size(), ScsiDisksInSysfs());
    for (const UdevRecord& record : records) {
        EXPECT_FALSE(record.sysname.empty());
        EXPECT_EQ(record.syspath.rfind("/sys/", 0), 0u) << record.syspath;
        EXPECT_TRUE(record.devnode.empty() || record.devnode.rfind("/dev/", 0) == 0)
            << record.devnode;
        EXPECT_FALSE(record.scsiDevice.empty()) << "only devices below a SCSI device";
    }
}

TEST(SystemParts, TheProgramItsMountAndFiles) {
    SystemHostFiles host;
    const std::string program = host.programPath();
    ASSERT_EQ(program.front(), '/');
    EXPECT_EQ(std::filesystem::path(program).filename(), "linux_tests");
    const auto mounts = ParseMountTable(host.mountInfo());
    ASSERT_FALSE(mounts.empty());
    EXPECT_TRUE(MountHolding(mounts, program));
    const std::string file = KESTRUN_STANDIN_QIVAR_EXE;
    const auto size = std::filesystem::file_size(file);
    const auto bytes = host.readFile(file, size);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), size);
    EXPECT_EQ((*bytes)[0], 'M');
    EXPECT_FALSE(host.readFile(file, size - 1)) << "longer than the limit";
    EXPECT_FALSE(host.readFile("/nonexistent/file", 1024));
    EXPECT_FALSE(host.readFile(std::filesystem::path(file).parent_path().string(), 1 << 20))
        << "a folder";
}

TEST(SystemParts, EntriesFoundWithoutRegardToCase) {
    SystemHostFiles host;
    const auto folder = std::filesystem::temp_directory_path() / "kestrun-linux-tests-entries";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "QIVARGUIMAIN.EXE") << "MZ";
    EXPECT_EQ(host.findEntry(folder.string(), "QivarGUIMain.exe"), "QIVARGUIMAIN.EXE");
    EXPECT_EQ(host.findEntry(folder.string(), "QIVARGUIMAIN.EXE"), "QIVARGUIMAIN.EXE");
    EXPECT_FALSE(host.findEntry(folder.string(), "Other.exe"));
    EXPECT_FALSE(host.findEntry((folder / "missing").string(), "QivarGUIMain.exe"));
    std::filesystem::remove_all(folder);
}

TEST(SystemParts, OpeningANodeThatIsNotThere) {
    SystemDeviceNodes nodes;
    int error = 0;
    EXPECT_EQ(nodes.openForCommands("/nonexistent/sg0", error), -1);
    EXPECT_EQ(error, ENOENT);
    EXPECT_EQ(nodes.groupOf("/nonexistent/sg0"), "");
}

} // namespace
