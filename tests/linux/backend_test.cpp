// The Linux backend put together on a canned machine and driven by the tool's own start-up:
// discovery, the descriptor test, the adapter geometry, the pass-through, the installed version
// from the stick's volume, the stick's reboot under new nodes, and a stick the user may not open.

#include "device/spti_context.h"
#include "device/stick_discovery.h"
#include "device/vendor_commands.h"
#include "fake_machine.h"
#include "pe_test_files.h"
#include "platform/linux/access_denial.h"
#include "platform/linux/drive_registry.h"
#include "platform/linux/linux_drives.h"
#include "platform/linux/linux_storage.h"
#include "platform/linux/stick_files.h"
#include "platform/pe/pe_version_info.h"
#include "ui/kestrun_dlg.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

using namespace platform::linux_backend;

constexpr const char* kStickMount =
    "40 22 11:1 / /media/user/LM704 ro,nosuid - iso9660 /dev/sr1 ro\n";

// A PC with a SATA disk, a SATA DVD writer and the stick, wired like LinuxMachine.
struct LinuxPc {
    LinuxPc() {
        scanner.devices = {test::DiskRecord(), test::DvdRecord(), test::StickRecord()};
        nodes.sticks = {"/dev/sg2", "/dev/sg4"};
        host.mounts = "22 1 259:2 / / rw - ext4 /dev/nvme0n1p2 rw\n";
        host.files["/usr/bin/kestrun"] = {0x7F, 'E', 'L', 'F'};
    }

    test::FakeScanner scanner;
    test::FakeNodes nodes;
    test::FakeHost host;
    DriveRegistry registry{scanner};
    LinuxStorage storage{registry, nodes};
    LinuxDrives drives{registry, host};
    StickFiles files{registry, drives, host};
    platform::pe::PeVersionInfo versionInfo{files, {}};
    test::NoResources resources;
    test::VirtualClock clock;
    test::NoThreads threads;
    test::NoControls controls;
    platform::Platform system{storage, drives, resources, versionInfo, clock, threads, controls};
};

struct Started {
    unsigned message;
    char drive;
    std::string stickVersion;
};

Started Start(LinuxPc& pc) {
    CKestrunDlg dlg(pc.system);
    EngineFacts facts;
    const unsigned message = dlg.StartEngine(facts);
    Started started{message, dlg.m_chDrive, facts.stickVersion};
    dlg.ReleaseEngine();
    return started;
}

TEST(LinuxBackend, FindsTheStickAndReadsItsVersionFromTheMountedVolume) {
    LinuxPc pc;
    pc.host.mounts += kStickMount;
    // The volume as mounted without Joliet names: upper case; names match without regard to it.
    pc.host.files["/media/user/LM704/QIVARGUIMAIN.EXE"] = test::ReadBytes(test::StandInQivar());

    const Started started = Start(pc);
    EXPECT_EQ(started.message, 0u);
    EXPECT_EQ(started.drive, 'E');
    EXPECT_EQ(started.stickVersion, "4, 0, 1, 3");
    EXPECT_TRUE(pc.host.volumeReads.empty()) << "a mounted volume is read through its mount";

    // The DVD writer passed the drive test but not the descriptor test: it was never opened for
    // commands, and only the stick's sg node received one, the identify.
    EXPECT_EQ(pc.nodes.opened, std::vector<std::string>{"/dev/sg2"});
    ASSERT_EQ(pc.nodes.sent.size(), 1u);
    EXPECT_EQ(pc.nodes.sent[0].opcode, OP_IDENTIFY);
    EXPECT_EQ(pc.nodes.sent[0].direction, SgDirection::FromDevice);
    EXPECT_EQ(pc.nodes.sent[0].length, 4096u);
    EXPECT_EQ(pc.nodes.sent[0].timeoutMs, 1000u);
    EXPECT_EQ(pc.nodes.openNow, 0) << "every node closed again";
    EXPECT_EQ(pc.clock.now, 0u) << "found by the first scan, no pause";
}

// The volume itself is read when it is not mounted, and when its mount shows the Rock Ridge
// tree, which holds only a note, while the program is in the Joliet tree that the volume
// reader sees.
TEST(LinuxBackend, ReadsTheVersionStraightFromTheVolumeWhereNoMountShowsIt) {
    for (const bool mounted : {false, true}) {
        LinuxPc pc;
        if (mounted) {
            pc.host.mounts += kStickMount;
            pc.host.files["/media/user/LM704/README.TXT"] = {'J', 'o', 'l', 'i', 'e', 't'};
        }
        pc.host.volume["/dev/sr1:/QivarGUIMain.exe"] = test::ReadBytes(test::StandInQivar());
        const Started started = Start(pc);
        EXPECT_EQ(started.message, 0u) << mounted;
        EXPECT_EQ(started.stickVersion, "4, 0, 1, 3") << mounted;
        // Once to size the version block, once to read it.
        EXPECT_EQ(pc.host.volumeReads, (std::vector<std::string>{"/dev/sr1", "/dev/sr1"}))
            << mounted;
    }
}

TEST(LinuxBackend, AStickWithoutItsProgramCannotStart) {
    LinuxPc pc;
    pc.host.mounts += kStickMount;
    EXPECT_EQ(Start(pc).message, IDS_CANNOT_START);
}

TEST(LinuxBackend, NoStickAfterTenScans) {
    LinuxPc pc;
    pc.scanner.devices = {test::DiskRecord(), test::DvdRecord()};
    const Started started = Start(pc);
    EXPECT_EQ(started.message, IDS_NO_STICK);
    EXPECT_EQ(started.drive, 0);
    EXPECT_EQ(pc.clock.now, 2000u) << "ten pauses of 200 ms";
    EXPECT_TRUE(pc.nodes.opened.empty());
    EXPECT_FALSE(pc.storage.accessDenial());
}

TEST(LinuxBackend, AStickTheUserMayNotOpenIsNamedForTheTerminal) {
    LinuxPc pc;
    pc.nodes.openErrors["/dev/sg2"] = EACCES;
    EXPECT_EQ(Start(pc).message, IDS_NO_STICK);
    const auto denial = pc.storage.accessDenial();
    ASSERT_TRUE(denial);
    EXPECT_EQ(denial->node, "/dev/sg2");
    EXPECT_EQ(denial->error, EACCES);
    EXPECT_EQ(denial->group, "cdrom");
    const std::string hint = AccessDenialHint(*denial);
    EXPECT_NE(hint.find("/dev/sg2"), std::string::npos) << hint;
    EXPECT_NE(hint.find("udev rule"), std::string::npos) << hint;
    EXPECT_NE(hint.find("\"cdrom\""), std::string::npos) << hint;
    EXPECT_EQ(hint.find('\n'), std::string::npos) << "one line";

    // Once the rights are there, the denial is history.
    pc.nodes.openErrors.clear();
    pc.host.mounts += kStickMount;
    pc.host.files["/media/user/LM704/QivarGUIMain.exe"] = test::ReadBytes(test::StandInQivar());
    EXPECT_EQ(Start(pc).message, 0u);
    EXPECT_FALSE(pc.storage.accessDenial());
}

// Two sticks: the one in port 1-1 comes first in the drive list (E:), but the program runs from
// the volume of the one in port 1-2 (F:), which wins without a scan.
TEST(LinuxBackend, TheProgramsOwnDriveIsProbedFirst) {
    LinuxPc pc;
    pc.scanner.devices.push_back(test::StickRecord("1-1", 2));
    pc.nodes.sticks.push_back("/dev/sg3");
    pc.host.mounts += kStickMount;
    pc.host.program = "/media/user/LM704/linux/kestrun";
    pc.host.files["/media/user/LM704/QivarGUIMain.exe"] = test::ReadBytes(test::StandInQivar());
    char path[260] = {};
    pc.drives.moduleFileName(path);
    EXPECT_STREQ(path, "F:\\linux\\kestrun");
    char root[4] = {};
    ASSERT_EQ(GetModuleDrive(pc.system, root), 0);
    EXPECT_STREQ(root, "F:\\");

    const Started started = Start(pc);
    EXPECT_EQ(started.message, 0u);
    EXPECT_EQ(started.drive, 'F');
    EXPECT_EQ(pc.nodes.opened, std::vector<std::string>{"/dev/sg2"});
}

TEST(LinuxBackend, TheStickRebootsUnderNewNodesAndKeepsItsLetter) {
    LinuxPc pc;
    pc.host.mounts += kStickMount;
    pc.host.files["/media/user/LM704/QivarGUIMain.exe"] = test::ReadBytes(test::StandInQivar());
    CKestrunDlg dlg(pc.system);
    EngineFacts facts;
    ASSERT_EQ(dlg.StartEngine(facts), 0u);
    ASSERT_EQ(dlg.m_chDrive, 'E');

    // Between two images the stick reboots and comes back as sr3 / sg4 on a new SCSI host.
    pc.scanner.devices = {test::DiskRecord(), test::DvdRecord(), test::StickRecord("1-2", 3)};
    SptiContext& context = *dlg.m_pSpti;
    FormatDevicePath(context.m_szPath, dlg.m_chDrive);
    ASSERT_EQ(OpenSptiContext(context, context.m_szPath), 0);
    EXPECT_EQ(pc.nodes.opened.back(), "/dev/sg4");
    // The verified queue: 120 KiB chunks in a buffer aligned to 512 bytes.
    EXPECT_EQ(context.m_dwTransferSize, 122'880u);
    EXPECT_EQ(context.m_dwAlignmentMask, 511u);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(context.m_pBuffer) % 512, 0u);
    StatusReply reply;
    {
        std::lock_guard guard(context.m_lock);
        EXPECT_EQ(SendGetStatus(context, reply, 3), 12);
    }
    EXPECT_EQ(StatusState(reply), STATE_DONE);
    EXPECT_EQ(pc.nodes.sent.back().timeoutMs, 3000u);

    // While it is away the drive cannot be opened: the open fails, the context stays closed.
    CloseSptiContext(context);
    pc.scanner.devices = {test::DiskRecord(), test::DvdRecord()};
    EXPECT_EQ(OpenSptiContext(context, context.m_szPath), ENOENT);
    EXPECT_EQ(context.m_hDevice, platform::DeviceHandle::None);
    dlg.ReleaseEngine();
}

TEST(LinuxBackend, DriveListAndTypes) {
    LinuxPc pc;
    char list[256];
    const std::uint32_t written = pc.drives.logicalDriveStrings(list);
    EXPECT_EQ(std::string(list, written), std::string("D:\\\0E:\\\0", 8));
    EXPECT_EQ(list[written], '\0');
    char tiny[8];
    EXPECT_EQ(pc.drives.logicalDriveStrings(tiny), 9u) << "too small: the size it needs";
    EXPECT_EQ(pc.drives.driveType("E:\\"), platform::kDriveCdrom);
    EXPECT_EQ(pc.drives.driveType("e:"), platform::kDriveCdrom);
    EXPECT_EQ(pc.drives.driveType("F:\\"), kDriveNoRootDir);
    EXPECT_EQ(pc.drives.driveType(""), kDriveNoRootDir);
    // Opens of what is no lettered drive.
    EXPECT_EQ(pc.storage.open("\\\\.\\F:", platform::OpenMode::DescriptorQuery).error,
              static_cast<std::uint32_t>(ENOENT));
    EXPECT_EQ(pc.storage.open("/dev/sg2", platform::OpenMode::PassThrough).error,
              static_cast<std::uint32_t>(EINVAL));
    // A drive whose SCSI generic node is missing (the sg driver not loaded).
    pc.scanner.devices[2].sgNode.clear();
    EXPECT_EQ(pc.storage.open("\\\\.\\E:", platform::OpenMode::PassThrough).error,
              static_cast<std::uint32_t>(ENODEV));
    // A descriptor-query handle carries no commands.
    const auto handle = pc.storage.open("\\\\.\\E:", platform::OpenMode::DescriptorQuery).handle;
    ASSERT_NE(handle, platform::DeviceHandle::None);
    platform::PassThroughRequest request{};
    EXPECT_FALSE(pc.storage.passThrough(handle, request));
    pc.storage.close(handle);
    std::uint8_t out[8];
    EXPECT_EQ(pc.storage.queryProperty(handle, platform::StorageProperty::Device, out).status,
              platform::QueryStatus::Failed)
        << "a closed handle";
}

} // namespace
