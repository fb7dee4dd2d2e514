// Lines of /proc/self/mountinfo and the mounts the backend looks for in them.

#include "platform/linux/mount_table.h"

#include <gtest/gtest.h>

namespace {

using namespace platform::linux_backend;

constexpr const char* kTable =
    "22 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw,errors=remount-ro\n"
    "25 22 0:22 / /proc rw,nosuid,nodev,noexec,relatime shared:12 - proc proc rw\n"
    "97 22 11:1 / /media/user/LM704\\040stick ro,nosuid,nodev,relatime shared:51 - iso9660 "
    "/dev/sr1 ro,nojoliet,check=s,map=n,blocksize=2048,iocharset=utf8\n"
    "not a mount line\n"
    "98 97 11:1 /TOOLS /opt/tools ro,relatime - iso9660 /dev/sr1 ro\n"
    "99 22 11:0 / /mnt/dvd ro master:7 propagate_from:1 - udf /dev/sr0 ro\n"
    "100 22 8:1 / /mnt/dvd rw - ext4 /dev/sda1 rw\n";

TEST(MountTable, ParsesLinesAndSkipsTheMalformed) {
    const auto mounts = ParseMountTable(kTable);
    ASSERT_EQ(mounts.size(), 6u);
    EXPECT_EQ(mounts[2].major, 11u);
    EXPECT_EQ(mounts[2].minor, 1u);
    EXPECT_EQ(mounts[2].root, "/");
    EXPECT_EQ(mounts[2].mountPoint, "/media/user/LM704 stick");
    EXPECT_EQ(mounts[2].fsType, "iso9660");
    EXPECT_EQ(mounts[2].source, "/dev/sr1");
    // Optional fields of any count before the separator.
    EXPECT_EQ(mounts[4].fsType, "udf");
    EXPECT_EQ(mounts[4].source, "/dev/sr0");
}

TEST(MountTable, MalformedLines) {
    for (const char* line : {"", "1 2 3", "22 1 259:2 / / rw shared:1 ext4 /dev/x rw",
                             "22 1 259 / / rw - ext4 /dev/x rw", "22 1 a:b / / rw - ext4 /dev/x rw",
                             "22 1 259: / / rw - ext4 /dev/x rw", "22 1 259:2 / / rw -"}) {
        EXPECT_FALSE(ParseMountLine(line)) << line;
    }
    const auto escaped = ParseMountLine("1 2 3:4 / /a\\134b\\011c rw - vfat /dev/sdb1 rw");
    ASSERT_TRUE(escaped);
    EXPECT_EQ(escaped->mountPoint, "/a\\b\tc");
}

TEST(MountTable, TheVolumeOfADevice) {
    const auto mounts = ParseMountTable(kTable);
    const auto stick = VolumeMount(mounts, 11, 1);
    ASSERT_TRUE(stick);
    EXPECT_EQ(stick->mountPoint, "/media/user/LM704 stick") << "the bind of a folder is no volume";
    EXPECT_FALSE(VolumeMount(mounts, 11, 2));
    // Mounted over: the last mount of the device is the one that shows.
    const auto twice = ParseMountTable("1 0 11:1 / /a ro - iso9660 /dev/sr1 ro\n"
                                       "2 0 11:1 / /b ro - iso9660 /dev/sr1 ro\n");
    EXPECT_EQ(VolumeMount(twice, 11, 1)->mountPoint, "/b");
}

TEST(MountTable, TheMountHoldingAPath) {
    const auto mounts = ParseMountTable(kTable);
    EXPECT_EQ(MountHolding(mounts, "/media/user/LM704 stick/kestrun")->major, 11u);
    EXPECT_EQ(MountHolding(mounts, "/media/user/LM704 sticks/kestrun")->major, 259u)
        << "a mount point is a whole name";
    EXPECT_EQ(MountHolding(mounts, "/usr/bin/kestrun")->mountPoint, "/");
    EXPECT_EQ(MountHolding(mounts, "/opt/tools/kestrun")->root, "/TOOLS");
    EXPECT_EQ(MountHolding(mounts, "/mnt/dvd/x")->major, 8u) << "the later of equal mount points";
    EXPECT_FALSE(MountHolding(mounts, "relative/path"));
}

} // namespace
