// Drive letters for the CD-ROM devices: stable in a process, kept across the stick's reboot.

#include "fake_machine.h"
#include "platform/linux/drive_letters.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace platform::linux_backend;

std::string Letters(const std::vector<LetteredDevice>& drives) {
    std::string text;
    for (const LetteredDevice& drive : drives) {
        text += std::string(1, drive.letter) + "=" + drive.device.sysname + " ";
    }
    return text;
}

std::vector<BlockDevice> Scan(const std::vector<UdevRecord>& records) {
    std::vector<BlockDevice> devices;
    for (const UdevRecord& record : records) {
        devices.push_back(DescribeDevice(record));
    }
    return devices;
}

TEST(DriveLetters, CdromsFromDOnInTheOrderOfTheirIdentities) {
    DriveLetters letters;
    // The disk gets no letter; the SATA DVD's path sorts before the USB stick's port.
    EXPECT_EQ(
        Letters(letters.assign(Scan({test::StickRecord(), test::DiskRecord(), test::DvdRecord()}))),
        "D=sr0 E=sr1 ");
    EXPECT_EQ(letters.identityOf('E'), "usb:1-2:lun0");
    EXPECT_FALSE(letters.identityOf('F'));
}

TEST(DriveLetters, TheStickKeepsItsLetterAcrossItsReboot) {
    DriveLetters letters;
    letters.assign(Scan({test::DvdRecord(), test::StickRecord("1-2", 1)}));
    // Rebooting: gone from the bus. Its letter stays reserved.
    EXPECT_EQ(Letters(letters.assign(Scan({test::DvdRecord()}))), "D=sr0 ");
    // Meanwhile a second stick arrives in another port: it takes the next free letter.
    EXPECT_EQ(Letters(letters.assign(Scan({test::DvdRecord(), test::StickRecord("1-4", 2)}))),
              "D=sr0 F=sr2 ");
    // Back under a new node number: the old letter.
    EXPECT_EQ(Letters(letters.assign(Scan(
                  {test::StickRecord("1-4", 2), test::DvdRecord(), test::StickRecord("1-2", 3)}))),
              "D=sr0 E=sr3 F=sr2 ");
}

TEST(DriveLetters, TwentyThreeLettersAtMost) {
    std::vector<UdevRecord> records;
    for (int port = 0; port < 30; ++port) {
        records.push_back(test::StickRecord("1-" + std::to_string(10 + port), port));
    }
    DriveLetters letters;
    const auto drives = letters.assign(Scan(records));
    ASSERT_EQ(drives.size(), 23u);
    EXPECT_EQ(drives.front().letter, 'D');
    EXPECT_EQ(drives.back().letter, 'Z');
}

TEST(DriveLetters, OneLetterPerIdentityInAScan) {
    // The same identity twice in one scan (a stick half gone, half back): one drive.
    DriveLetters letters;
    EXPECT_EQ(
        letters.assign(Scan({test::StickRecord("1-2", 1), test::StickRecord("1-2", 3)})).size(),
        1u);
    EXPECT_EQ(DriveLetter('e'), 'E');
    EXPECT_EQ(DriveLetter('E'), 'E');
    EXPECT_FALSE(DriveLetter(':'));
}

} // namespace
