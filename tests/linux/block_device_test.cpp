// What the backend makes of the device manager's records: sysfs texts, the drive test, the USB
// test and the identity that survives the stick's reboot.

#include "fake_machine.h"
#include "platform/linux/block_device.h"

#include <gtest/gtest.h>

namespace {

using platform::linux_backend::AttributeText;
using platform::linux_backend::DescribeDevice;
using platform::linux_backend::ParseSysfsNumber;

TEST(SysfsText, NumbersAndLineEnds) {
    struct Case {
        const char* raw;
        std::optional<std::uint64_t> number;
    };
    const Case cases[] = {
        {"120\n", 120u},          {"2048", 2048u},
        {"511\n\n", 511u},        {"", std::nullopt},
        {"\n", std::nullopt},     {" 5\n", std::nullopt},
        {"5 \n", std::nullopt},   {"-1\n", std::nullopt},
        {"0x1f\n", std::nullopt}, {"18446744073709551616\n", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseSysfsNumber(c.raw), c.number) << '"' << c.raw << '"';
    }
    // Only the kernel's line end goes; the blanks that pad an identifier stay.
    EXPECT_EQ(AttributeText("QX-LM704        \n"), "QX-LM704        ");
}

TEST(DescribeDevice, TheVerifiedStick) {
    const auto device = DescribeDevice(test::StickRecord());
    EXPECT_TRUE(device.cdrom);
    EXPECT_TRUE(device.usb);
    EXPECT_TRUE(device.removable);
    EXPECT_EQ(device.scsiType, 5);
    EXPECT_EQ(device.vendor, "KORVALIN");
    EXPECT_EQ(device.model, "QX-LM704        ");
    EXPECT_EQ(device.revision, "1.00");
    EXPECT_EQ(device.devnode, "/dev/sr1");
    EXPECT_EQ(device.sgNode, "/dev/sg2");
    ASSERT_TRUE(device.queue);
    EXPECT_EQ(device.queue->maxHwSectorsKb, 120u);
    EXPECT_EQ(device.queue->maxSegments, 2048u);
    EXPECT_EQ(device.queue->dmaAlignment, 511u);
    EXPECT_EQ(device.identity, "usb:1-2:lun0");
}

// The stick back from a reboot: new SCSI host, new nodes, same port: same identity. Another
// port, or another unit of the same device, is another drive.
TEST(DescribeDevice, IdentityFollowsThePortNotTheNode) {
    const auto before = DescribeDevice(test::StickRecord("1-2", 1));
    const auto after = DescribeDevice(test::StickRecord("1-2", 3));
    EXPECT_NE(before.sgNode, after.sgNode);
    EXPECT_EQ(before.identity, after.identity);
    EXPECT_NE(DescribeDevice(test::StickRecord("1-4.1", 1)).identity, before.identity);
    auto secondUnit = test::StickRecord("1-2", 1);
    secondUnit.scsiDevice = "6:0:0:1";
    EXPECT_NE(DescribeDevice(secondUnit).identity, before.identity);
}

TEST(DescribeDevice, OtherDevices) {
    const auto dvd = DescribeDevice(test::DvdRecord());
    EXPECT_TRUE(dvd.cdrom);
    EXPECT_FALSE(dvd.usb);
    EXPECT_EQ(dvd.identity, "path:pci-0000:00:17.0-ata-2");
    const auto disk = DescribeDevice(test::DiskRecord());
    EXPECT_FALSE(disk.cdrom);
    EXPECT_FALSE(disk.removable);
    EXPECT_FALSE(disk.queue) << "no queue limits in its record";

    // Without the device manager's database (no ID_PATH, no ID_CDROM) the SCSI type still tells
    // a CD-ROM, and the sysfs path names the device.
    auto bare = test::DvdRecord();
    bare.properties.clear();
    const auto described = DescribeDevice(bare);
    EXPECT_TRUE(described.cdrom);
    EXPECT_EQ(described.identity, "sys:" + bare.syspath);
    // ID_CDROM alone makes a CD-ROM too (a type the kernel does not report as 5).
    auto flagged = test::DiskRecord();
    flagged.properties["ID_CDROM"] = "1";
    EXPECT_TRUE(DescribeDevice(flagged).cdrom);
}

TEST(DescribeDevice, QueueLimitsNeedAllThree) {
    for (const char* missing :
         {"queue/max_hw_sectors_kb", "queue/max_segments", "queue/dma_alignment"}) {
        auto record = test::StickRecord();
        record.attributes.erase(missing);
        EXPECT_FALSE(DescribeDevice(record).queue) << missing;
        record = test::StickRecord();
        record.attributes[missing] = "many\n";
        EXPECT_FALSE(DescribeDevice(record).queue) << missing;
    }
}

} // namespace
