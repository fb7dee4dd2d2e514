// The real libudev scan on a device manager faked by umockdev: run by CTest under umockdev-run
// with testbed/stick.umockdev (the Stick tests) or testbed/rebooted.umockdev (the Rebooted
// tests), which lay out the verified stick's sysfs below USB port 1-2.

#include "device/stick_discovery.h"
#include "fake_machine.h"
#include "platform/linux/block_device.h"
#include "platform/linux/drive_registry.h"
#include "platform/linux/linux_drives.h"
#include "platform/linux/linux_storage.h"
#include "platform/linux/stick_files.h"
#include "platform/linux/udev_scanner.h"
#include "platform/pe/pe_version_info.h"
#include "ui/kestrun_dlg.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace platform::linux_backend;

const UdevRecord* Named(const std::vector<UdevRecord>& records, const std::string& sysname) {
    const auto found = std::find_if(records.begin(), records.end(),
                                    [&](const UdevRecord& r) { return r.sysname == sysname; });
    return found == records.end() ? nullptr : &*found;
}

TEST(UdevTestbedStick, RecordsOfTheStickAndTheDvd) {
    const auto records = UdevScanner().scan();
    ASSERT_EQ(records.size(), 2u) << "the loop device is no SCSI device";
    const UdevRecord* stick = Named(records, "sr1");
    ASSERT_NE(stick, nullptr);
    EXPECT_EQ(stick->devnode, "/dev/sr1");
    EXPECT_EQ(stick->major, 11u);
    EXPECT_EQ(stick->minor, 1u);
    EXPECT_EQ(stick->usbDevice, "1-2");
    EXPECT_EQ(stick->scsiDevice, "6:0:0:0");
    EXPECT_EQ(stick->sgNode, "/dev/sg2");
    EXPECT_EQ(stick->attributes.at("device/vendor"), "KORVALIN");
    EXPECT_EQ(stick->attributes.at("device/model"), "QX-LM704        ");
    const BlockDevice device = DescribeDevice(*stick);
    EXPECT_TRUE(device.cdrom && device.usb);
    EXPECT_EQ(device.identity, "usb:1-2:lun0");
    ASSERT_TRUE(device.queue);
    EXPECT_EQ(device.queue->maxHwSectorsKb, 120u);
    EXPECT_EQ(device.queue->maxSegments, 2048u);
    EXPECT_EQ(device.queue->dmaAlignment, 511u);

    const UdevRecord* dvd = Named(records, "sr0");
    ASSERT_NE(dvd, nullptr);
    EXPECT_EQ(dvd->usbDevice, "");
    EXPECT_EQ(dvd->sgNode, "/dev/sg0");
    EXPECT_FALSE(DescribeDevice(*dvd).usb);
}

// The tool's search on the scanned machine: the DVD is D:, the stick E:, and only the stick's sg
// node is opened for a command.
TEST(UdevTestbedStick, TheToolFindsTheStick) {
    UdevScanner scanner;
    DriveRegistry registry(scanner);
    test::FakeNodes nodes;
    nodes.sticks = {"/dev/sg2"};
    test::FakeHost host;
    LinuxStorage storage(registry, nodes);
    LinuxDrives drives(registry, host);
    StickFiles files(registry, drives, host);
    char list[64];
    const auto written = drives.logicalDriveStrings(list);
    EXPECT_EQ(std::string(list, written), std::string("D:\\\0E:\\\0", 8));
    const auto stick = registry.resolve('E');
    ASSERT_TRUE(stick);
    EXPECT_EQ(stick->sysname, "sr1");
    EXPECT_EQ(registry.resolve('D')->sysname, "sr0");

    // The tool's own search, on descriptors built from the scanned sysfs.
    platform::pe::PeVersionInfo versions(files, {});
    test::NoResources resources;
    test::VirtualClock clock;
    test::NoThreads threads;
    test::NoControls controls;
    platform::Platform system{storage, drives, resources, versions, clock, threads, controls};
    CKestrunDlg dlg(system);
    dlg.m_pSpti = std::make_unique<SptiContext>(storage);
    LocateStick(dlg);
    EXPECT_EQ(dlg.m_chDrive, 'E');
    EXPECT_EQ(nodes.opened, std::vector<std::string>{"/dev/sg2"});
    dlg.ReleaseEngine();
}

TEST(UdevTestbedRebooted, TheStickUnderNewNodesKeepsItsIdentity) {
    const auto records = UdevScanner().scan();
    const UdevRecord* stick = Named(records, "sr2");
    ASSERT_NE(stick, nullptr);
    EXPECT_EQ(stick->scsiDevice, "7:0:0:0");
    EXPECT_EQ(stick->sgNode, "/dev/sg3");
    EXPECT_EQ(DescribeDevice(*stick).identity, "usb:1-2:lun0");
}

} // namespace
