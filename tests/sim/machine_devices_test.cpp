// The machine's drives, storage stack, files and resources as the tool meets them through the
// platform seam.

#include "platform/sim/machine.h"
#include "platform/sim/win_errors.h"
#include "platform/storage_descriptors.h"

#include "sim_test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace sim {
namespace {

namespace desc = platform::descriptor;
using platform::OpenMode;
using platform::QueryStatus;
using platform::StorageProperty;

DriveSpec Disk(char letter) {
    DriveSpec drive;
    drive.letter = letter;
    drive.product = "Samsung SSD 870 EVO 500GB";
    return drive;
}

DriveSpec Dvd(char letter) {
    DriveSpec drive;
    drive.letter = letter;
    drive.type = win::kDriveCdrom;
    drive.vendor = "HL-DT-ST";
    drive.product = "DVDRAM GH24NSD1";
    return drive;
}

Scenario Pc(std::vector<DriveSpec> drives) {
    Scenario scenario;
    scenario.drives = std::move(drives);
    return scenario;
}

std::string DriveList(Machine& machine) {
    std::array<char, 256> buffer{};
    const std::uint32_t count = machine.platform().drives.logicalDriveStrings(buffer);
    return std::string(buffer.data(), count);
}

std::string DescriptorText(const std::vector<std::uint8_t>& d, std::size_t offset, std::size_t n) {
    return std::string(reinterpret_cast<const char*>(d.data()) + offset, n);
}

struct Query {
    platform::QueryResult result;
    std::vector<std::uint8_t> bytes;
};

Query QueryDrive(Machine& machine, char letter, StorageProperty property, std::size_t size,
                 OpenMode mode = OpenMode::DescriptorQuery) {
    platform::Storage& storage = machine.platform().storage;
    const std::string path = std::string("\\\\.\\") + letter + ":";
    const platform::OpenResult opened = storage.open(path.c_str(), mode);
    EXPECT_NE(opened.handle, platform::DeviceHandle::None) << opened.error;
    Query query{{}, std::vector<std::uint8_t>(size, 0xEE)};
    query.result = storage.queryProperty(opened.handle, property, query.bytes);
    storage.close(opened.handle);
    return query;
}

TEST(MachineDrives, ListsThePresentDrivesInOrder) {
    Machine machine(Pc({Disk('C'), Dvd('D'), MakeStickDrive('E')}));
    EXPECT_EQ(DriveList(machine), std::string("C:\\\0D:\\\0E:\\\0", 12));
    EXPECT_EQ(machine.platform().drives.driveType("D:\\"), win::kDriveCdrom);
    EXPECT_EQ(machine.platform().drives.driveType("C:\\"), win::kDriveFixed);
    EXPECT_EQ(machine.platform().drives.driveType("Q:\\"), win::kDriveNoRootDir);
    EXPECT_EQ(machine.platform().drives.driveType(""), win::kDriveNoRootDir);
}

// Only the result tells a failed call: the failure modes leave roots behind, a short buffer
// under an ordinary call gets nothing.
TEST(MachineDrives, DriveListFailuresAreToldByTheResult) {
    struct Case {
        DriveListMode mode;
        std::size_t buffer;
        bool biggerThanBuffer;
        std::string left;
    };
    for (const Case& c :
         {Case{DriveListMode::Fail, 256, false, std::string("C:\\\0D:\\\0E:\\\0\0", 13)},
          Case{DriveListMode::Overflow, 8, true, std::string("C:\\\0D:\\\0", 8)},
          Case{DriveListMode::Ok, 8, true, ""}}) {
        Scenario scenario = Pc({Disk('C'), Dvd('D'), MakeStickDrive('E')});
        scenario.driveList = c.mode;
        Machine machine(scenario);
        std::vector<char> buffer(c.buffer, 'x');
        const std::uint32_t count = machine.platform().drives.logicalDriveStrings(buffer);
        if (c.biggerThanBuffer) {
            EXPECT_GT(count, c.buffer);
        } else {
            EXPECT_EQ(count, 0u);
        }
        std::vector<char> expected(c.buffer, 'x');
        std::copy(c.left.begin(), c.left.end(), expected.begin());
        EXPECT_EQ(buffer, expected);
    }
}

TEST(MachineDrives, AStickVisibleAfterScansTurnsUpInTheNextList) {
    DriveSpec stick = MakeStickDrive('E');
    stick.visibleAfterScans = 2;
    Machine machine(Pc({Disk('C'), stick}));
    platform::Platform& pc = machine.platform();

    EXPECT_EQ(pc.drives.driveType("E:\\"), win::kDriveNoRootDir);
    EXPECT_EQ(pc.storage.open("\\\\.\\E:", OpenMode::DescriptorQuery).error,
              win::kErrorFileNotFound);
    EXPECT_EQ(DriveList(machine), std::string("C:\\\0", 4));
    EXPECT_EQ(DriveList(machine), std::string("C:\\\0", 4));
    EXPECT_EQ(pc.drives.driveType("E:\\"), win::kDriveCdrom) << "plugged in after the second";
    EXPECT_EQ(DriveList(machine), std::string("C:\\\0E:\\\0", 8));
    EXPECT_EQ(machine.driveListCalls(), 3u);
}

TEST(MachineDrives, GivesTheModulePathCutToTheBuffer) {
    struct Case {
        const char* path;
        std::size_t buffer;
        const char* expected;
    };
    for (const Case c :
         {Case{"E:\\Kestrun.exe", 260, "E:\\Kestrun.exe"}, Case{"E:\\Kestrun.exe", 5, "E:\\K"},
          Case{"\\\\server\\share\\Kestrun.exe", 260, "\\\\server\\share\\Kestrun.exe"}}) {
        Scenario scenario;
        scenario.modulePath = c.path;
        Machine machine(scenario);
        std::vector<char> buffer(c.buffer, 'x');
        const std::uint32_t length = machine.platform().drives.moduleFileName(buffer);
        EXPECT_EQ(length, std::strlen(c.expected));
        EXPECT_STREQ(buffer.data(), c.expected);
    }
}

TEST(MachineStorage, DeviceDescriptorCarriesIdentityAndOffsetQuirks) {
    struct Case {
        const char* name;
        std::optional<std::uint32_t> vendorOffset;
        const char* vendor;
        std::uint32_t expectedField; // 0: the descriptor's own place for the text
        std::size_t textLength;      // bytes of the text inside the 4096-byte buffer
    };
    const Case cases[] = {
        {"plain", std::nullopt, "KORVALIN", 0, 8},
        {"padded", std::nullopt, "KORVALIN  ", 0, 10},
        {"lower case", std::nullopt, "korvalin", 0, 8},
        {"offset zero", 0u, "KORVALIN", 0, 0},
        {"offset near the end", 4092u, "KORVALIN", 4092, 4},
        {"offset past the buffer", 5000u, "KORVALIN", 5000, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DriveSpec stick = MakeStickDrive('E');
        stick.vendor = c.vendor;
        stick.vendorOffset = c.vendorOffset;
        Machine machine(Pc({stick}));
        const Query q = QueryDrive(machine, 'E', StorageProperty::Device, 4096);
        ASSERT_EQ(q.result.status, QueryStatus::Delivered);
        EXPECT_EQ(desc::readU32(q.bytes, desc::device::kBusType), win::kBusUsb);
        EXPECT_EQ(q.bytes[desc::device::kDeviceType], 5);
        const std::uint32_t vendorAt = desc::readU32(q.bytes, desc::device::kVendorIdOffset);
        const std::uint32_t productAt = desc::readU32(q.bytes, desc::device::kProductIdOffset);
        EXPECT_EQ(DescriptorText(q.bytes, productAt, 9), std::string("QX-LM704\0", 9));
        if (c.vendorOffset) {
            EXPECT_EQ(vendorAt, c.expectedField);
        }
        if (c.textLength > 0) {
            EXPECT_EQ(DescriptorText(q.bytes, vendorAt, c.textLength),
                      std::string(c.vendor).substr(0, c.textLength));
        }
    }
}

TEST(MachineStorage, AdapterDescriptorReportsTheLimits) {
    DriveSpec stick = MakeStickDrive('E');
    stick.adapter = AdapterLimits{65536, 17, 1};
    Machine machine(Pc({stick}));
    const Query header = QueryDrive(machine, 'E', StorageProperty::Adapter, 8);
    ASSERT_EQ(header.result.status, QueryStatus::Delivered);
    EXPECT_EQ(desc::readU32(header.bytes, 4), desc::adapter::kSize);
    const Query full = QueryDrive(machine, 'E', StorageProperty::Adapter, desc::adapter::kSize);
    ASSERT_EQ(full.result.status, QueryStatus::Delivered);
    EXPECT_EQ(desc::readU32(full.bytes, desc::adapter::kMaximumTransferLength), 65536u);
    EXPECT_EQ(desc::readU32(full.bytes, desc::adapter::kMaximumPhysicalPages), 17u);
    EXPECT_EQ(desc::readU32(full.bytes, desc::adapter::kAlignmentMask), 1u);
}

TEST(MachineStorage, AShortAdapterDescriptorDeliversOnlyItsSize) {
    DriveSpec stick = MakeStickDrive('E');
    stick.adapterDescriptorSize = 12;
    Machine machine(Pc({stick}));
    EXPECT_EQ(desc::readU32(QueryDrive(machine, 'E', StorageProperty::Adapter, 8).bytes, 4), 12u);
    const Query full = QueryDrive(machine, 'E', StorageProperty::Adapter, 32);
    ASSERT_EQ(full.result.status, QueryStatus::Delivered);
    EXPECT_EQ(desc::readU32(full.bytes, desc::adapter::kMaximumTransferLength), 65536u);
    EXPECT_EQ(full.bytes[12], 0xEE) << "nothing past the 12 bytes";
}

TEST(MachineStorage, QueryFailuresHitOnlyTheirStep) {
    struct Case {
        const char* name;
        std::optional<AdapterLimits> adapter;
        std::optional<QueryFailure> failure;
        bool descriptorFails;
        // adapter header, adapter full, device header, device full
        std::array<QueryStatus, 4> expected;
        std::array<std::uint32_t, 4> errors;
    };
    constexpr auto D = QueryStatus::Delivered;
    constexpr auto N = QueryStatus::NotAvailable;
    constexpr auto F = QueryStatus::Failed;
    const Case cases[] = {
        {"no adapter descriptor", std::nullopt, std::nullopt, false, {N, N, D, D}, {1, 1, 0, 0}},
        {"adapter full fails, not supported",
         AdapterLimits{},
         QueryFailure{QueryStep::AdapterFull, 50, true},
         false,
         {D, N, D, D},
         {0, 50, 0, 0}},
        {"adapter header fails hard",
         AdapterLimits{},
         QueryFailure{QueryStep::AdapterHeader, 5, false},
         false,
         {F, D, D, D},
         {5, 0, 0, 0}},
        {"device full fails hard",
         AdapterLimits{},
         QueryFailure{QueryStep::DeviceFull, 31, false},
         false,
         {D, D, D, F},
         {0, 0, 0, 31}},
        {"device descriptor query fails",
         AdapterLimits{},
         std::nullopt,
         true,
         {D, D, F, F},
         {0, 0, 31, 31}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DriveSpec stick = MakeStickDrive('E');
        stick.adapter = c.adapter;
        stick.queryFailure = c.failure;
        stick.descriptorQueryFails = c.descriptorFails;
        Machine machine(Pc({stick}));
        const std::pair<StorageProperty, std::size_t> steps[] = {{StorageProperty::Adapter, 8},
                                                                 {StorageProperty::Adapter, 32},
                                                                 {StorageProperty::Device, 8},
                                                                 {StorageProperty::Device, 200}};
        for (std::size_t i = 0; i < 4; ++i) {
            const Query q =
                QueryDrive(machine, 'E', steps[i].first, steps[i].second, OpenMode::PassThrough);
            EXPECT_EQ(q.result.status, c.expected[i]) << "step " << i;
            EXPECT_EQ(q.result.error, c.errors[i]) << "step " << i;
        }
    }
}

TEST(MachineStorage, OpensAsTheSystemWould) {
    DriveSpec locked = Dvd('D');
    locked.openError = win::kErrorAccessDenied;
    Machine machine(Pc({Disk('C'), locked, MakeStickDrive('E')}));
    platform::Storage& storage = machine.platform().storage;

    EXPECT_EQ(storage.open("\\\\.\\D:", OpenMode::DescriptorQuery).error, win::kErrorAccessDenied);
    EXPECT_EQ(storage.open("\\\\.\\Q:", OpenMode::PassThrough).error, win::kErrorFileNotFound);
    EXPECT_EQ(storage.open("E:\\", OpenMode::PassThrough).error, win::kErrorInvalidName);

    const platform::OpenResult first = storage.open("\\\\.\\e:", OpenMode::PassThrough);
    ASSERT_NE(first.handle, platform::DeviceHandle::None);
    EXPECT_EQ(storage.open("\\\\.\\E:", OpenMode::PassThrough).error, win::kErrorSharingViolation)
        << "pass-through shares reading only";
    const platform::OpenResult reader = storage.open("\\\\.\\E:", OpenMode::DescriptorQuery);
    EXPECT_NE(reader.handle, platform::DeviceHandle::None);
    EXPECT_EQ(machine.openDeviceCount(), 2u);
    storage.close(reader.handle);
    storage.close(first.handle);
    EXPECT_EQ(machine.openDeviceCount(), 0u);
    storage.close(first.handle);
    ASSERT_EQ(machine.protocolViolations().size(), 1u) << "a second close is a fault";
}

// A stick drive opened for pass-through, with an aligned buffer to send commands from.
struct StickBench {
    explicit StickBench(Scenario scenario) : machine(std::move(scenario)) {
        handle = machine.platform().storage.open("\\\\.\\E:", OpenMode::PassThrough).handle;
        EXPECT_NE(handle, platform::DeviceHandle::None);
    }
    bool send(platform::PassThroughRequest& request) {
        return machine.platform().storage.passThrough(handle, request);
    }
    bool status(std::uint8_t& state) {
        auto request = test::Request(test::kStatusCdb, platform::kScsiDataIn, buffer.data(), 12, 1);
        const bool ok = send(request) && request.ScsiStatus == 0;
        state = buffer[8];
        return ok;
    }
    Machine machine;
    platform::DeviceHandle handle{};
    alignas(64) std::array<std::uint8_t, 4096> buffer{};
};

TEST(MachineStorage, PassThroughRefusesWhatTheSystemRefuses) {
    struct Case {
        const char* name;
        void (*spoil)(platform::PassThroughRequest&);
        const char* mentions;
    };
    const Case cases[] = {
        {"64-bit block length", [](platform::PassThroughRequest& r) { r.Length = 56; }, "Length"},
        {"short CDB", [](platform::PassThroughRequest& r) { r.CdbLength = 12; }, "CdbLength"},
        {"sense elsewhere", [](platform::PassThroughRequest& r) { r.SenseInfoOffset = 56; },
         "SenseInfoOffset"},
        {"target 0", [](platform::PassThroughRequest& r) { r.TargetId = 0; }, "TargetId"},
        {"direction unspecified", [](platform::PassThroughRequest& r) { r.DataIn = 2; }, "DataIn"},
        {"misaligned buffer",
         [](platform::PassThroughRequest& r) {
             r.DataBuffer = static_cast<std::uint8_t*>(r.DataBuffer) + 1;
         },
         "aligned"},
        {"no buffer", [](platform::PassThroughRequest& r) { r.DataBuffer = nullptr; }, "buffer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StickBench bench(Pc({MakeStickDrive('E')}));
        auto request =
            test::Request(test::kStatusCdb, platform::kScsiDataIn, bench.buffer.data(), 12, 1);
        c.spoil(request);
        EXPECT_FALSE(bench.send(request));
        const auto faults = bench.machine.protocolViolations();
        ASSERT_EQ(faults.size(), 1u);
        EXPECT_NE(faults[0].what.find(c.mentions), std::string::npos) << faults[0].what;
        EXPECT_EQ(bench.machine.commandCount(0xEF), 0u) << "never reached the stick";
    }
}

TEST(MachineStorage, OtherDrivesRefuseVendorCommandsAndReadOnlyHandlesCannotSendThem) {
    Machine machine(Pc({Dvd('D'), MakeStickDrive('E')}));
    platform::Storage& storage = machine.platform().storage;
    alignas(64) std::array<std::uint8_t, 4096> buffer{};
    auto request = test::Request(test::kIdentifyCdb, platform::kScsiDataIn, buffer.data(), 4096, 1);

    const auto dvd = storage.open("\\\\.\\D:", OpenMode::PassThrough).handle;
    EXPECT_TRUE(storage.passThrough(dvd, request));
    EXPECT_EQ(request.ScsiStatus, 2);
    EXPECT_EQ(request.Sense[2], 0x05) << "ILLEGAL REQUEST";
    EXPECT_EQ(machine.foreignCommandCount(), 1u);

    const auto reader = storage.open("\\\\.\\E:", OpenMode::DescriptorQuery).handle;
    request = test::Request(test::kIdentifyCdb, platform::kScsiDataIn, buffer.data(), 4096, 1);
    EXPECT_FALSE(storage.passThrough(reader, request));
    EXPECT_EQ(machine.commandCount(0xE7), 0u);
}

TEST(MachineStorage, TheStickIsGoneForItsRebootOnTheVirtualClock) {
    Scenario scenario = Pc({Disk('C'), MakeStickDrive('E', "1, 0, 3, 5")});
    ImageScript image;
    image.check = {Reply::Done()};
    image.rebootMs = 15000;
    image.installsVersion = "4, 0, 1, 3";
    scenario.stick.images = {image};
    StickBench bench(scenario);
    platform::Platform& pc = bench.machine.platform();
    std::uint8_t state = 0;

    ASSERT_TRUE(bench.status(state)); // the pre-check
    std::memset(bench.buffer.data(), 0x42, 100);
    auto write = test::Request(test::WriteCdb(2, true, 100, 100, 0), platform::kScsiDataOut,
                               bench.buffer.data(), 100, 5);
    ASSERT_TRUE(bench.send(write));
    ASSERT_EQ(write.ScsiStatus, 0);
    pc.clock.sleep(300);
    ASSERT_TRUE(bench.status(state));
    ASSERT_EQ(state, 1); // done at t = 300: the stick is away until 15300

    pc.clock.sleep(1000);
    EXPECT_FALSE(bench.status(state)) << "a handle from before the reboot is dead";
    EXPECT_EQ(pc.storage.open("\\\\.\\E:", OpenMode::PassThrough).error, win::kErrorFileNotFound);
    EXPECT_EQ(DriveList(bench.machine), std::string("C:\\\0", 4));
    EXPECT_EQ(pc.versionInfo.size("E:\\QivarGUIMain.exe"), 0u);

    pc.clock.sleep(13999);
    EXPECT_EQ(bench.machine.nowMs(), 15299u);
    EXPECT_EQ(pc.storage.open("\\\\.\\E:", OpenMode::PassThrough).error, win::kErrorFileNotFound);
    pc.clock.sleep(1);
    const auto stale = bench.handle;
    bench.handle = pc.storage.open("\\\\.\\E:", OpenMode::PassThrough).handle;
    EXPECT_NE(bench.handle, platform::DeviceHandle::None)
        << "back; the handle from before holds nothing";
    EXPECT_TRUE(bench.status(state));
    pc.storage.close(stale);

    const std::uint32_t size = pc.versionInfo.size("E:\\QivarGUIMain.exe");
    std::vector<std::uint8_t> block(size);
    ASSERT_TRUE(pc.versionInfo.read("E:\\QivarGUIMain.exe", block));
    const auto text =
        pc.versionInfo.queryValue(block, "\\StringFileInfo\\000004b0\\ProductVersion");
    ASSERT_TRUE(text.has_value());
    EXPECT_STREQ(reinterpret_cast<const char*>(text->data()), "4, 0, 1, 3");

    const auto images = bench.machine.receivedImages();
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].bytes, std::vector<std::uint8_t>(100, 0x42));
}

std::optional<std::string> ProductVersion(Machine& machine, const char* path,
                                          const char* subBlock) {
    platform::VersionInfo& info = machine.platform().versionInfo;
    std::vector<std::uint8_t> block(info.size(path));
    if (block.empty() || !info.read(path, block)) {
        return std::nullopt;
    }
    const auto value = info.queryValue(block, subBlock);
    if (!value) {
        return std::nullopt;
    }
    return std::string(reinterpret_cast<const char*>(value->data()));
}

TEST(MachineVersionInfo, GivesTheToolsFixedFileVersion) {
    Scenario scenario;
    scenario.modulePath = "E:\\Kestrun.exe";
    scenario.toolFileVersion = "4.0.1.3";
    Machine machine(scenario);
    platform::VersionInfo& info = machine.platform().versionInfo;
    std::vector<std::uint8_t> block(info.size("e:\\KESTRUN.EXE"));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(info.read("E:\\Kestrun.exe", block));
    const auto fixed = info.queryValue(block, "\\");
    ASSERT_TRUE(fixed.has_value());
    ASSERT_EQ(fixed->size(), 52u);
    EXPECT_EQ(desc::readU32(*fixed, 0), 0xFEEF04BDu);
    EXPECT_EQ(desc::readU32(*fixed, 8), 0x00040000u);
    EXPECT_EQ(desc::readU32(*fixed, 12), 0x00010003u);
}

TEST(MachineVersionInfo, ReadsTheStickFilesAsScripted) {
    const char* kProduct = "\\StringFileInfo\\000004b0\\ProductVersion";
    const std::string longVersion = "1, " + std::string(300, '9');
    struct Case {
        const char* name;
        std::optional<std::string> version;
        const char* translation;
        VersionBlockState block;
        bool sized;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"plain", "1, 0, 2, 7", "000004b0", VersionBlockState::Ok, true, "1, 0, 2, 7"},
        {"longer than 255", longVersion, "000004b0", VersionBlockState::Ok, true, longVersion},
        {"other translation", "1, 0, 2, 7", "040904b0", VersionBlockState::Ok, true, std::nullopt},
        {"no ProductVersion", std::nullopt, "000004b0", VersionBlockState::Ok, true, std::nullopt},
        {"no version block", "1, 0, 2, 7", "000004b0", VersionBlockState::Missing, false,
         std::nullopt},
        {"unreadable", "1, 0, 2, 7", "000004b0", VersionBlockState::Unreadable, true, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DriveSpec stick = MakeStickDrive('E');
        FileSpec file;
        file.name = "QivarGUIMain.exe";
        file.productVersion = c.version;
        file.translation = c.translation;
        file.block = c.block;
        stick.files = {file};
        Machine machine(Pc({stick}));
        EXPECT_EQ(machine.platform().versionInfo.size("E:\\QivarGUIMain.exe") > 0, c.sized);
        EXPECT_EQ(ProductVersion(machine, "E:\\QivarGUIMain.exe", kProduct), c.expected);
    }
    Machine empty(Pc({MakeStickDrive('E')}));
    EXPECT_EQ(empty.platform().versionInfo.size("E:\\QivarGUIMain.exe"), 0u);
}

TEST(MachineResources, FindsTypeNamesWithoutRegardToCase) {
    Machine machine(Scenario{});
    platform::Resources& resources = machine.platform().resources;
    struct Case {
        const char* type;
        std::uint16_t id;
        bool found;
        std::size_t length;
    };
    for (const Case c :
         {Case{"IsoImage", 133, true, 4'839'424}, Case{"isoimage", 133, true, 4'839'424},
          Case{"ISOIMAGE", 144, true, 184'320}, Case{"kernel_image", 143, true, 1'877'870},
          Case{"IsoImage", 143, false, 0}, Case{"IsoImag", 133, false, 0}}) {
        SCOPED_TRACE(std::string(c.type) + " " + std::to_string(c.id));
        const platform::ResourceHandle handle = resources.find(c.type, c.id);
        EXPECT_EQ(handle != platform::ResourceHandle::None, c.found);
        if (c.found) {
            const auto bytes = resources.load(handle);
            ASSERT_TRUE(bytes.has_value());
            EXPECT_EQ(bytes->size(), c.length);
        }
    }
}

TEST(MachineResources, TheMainImageCarriesItsLabelAndStableContent) {
    Machine first(Scenario{});
    Machine second(Scenario{});
    const auto load = [](Machine& m, std::uint16_t id, const char* type) {
        platform::Resources& r = m.platform().resources;
        return *r.load(r.find(type, id));
    };
    const auto main = load(first, 133, "IsoImage");
    EXPECT_EQ(std::string(main.begin() + 32808, main.begin() + 32840),
              "KESTRN" + std::string(26, ' '));
    const auto again = load(second, 133, "IsoImage");
    EXPECT_TRUE(std::equal(main.begin(), main.end(), again.begin(), again.end()));
    const auto migration = load(first, 144, "IsoImage");
    EXPECT_FALSE(std::equal(migration.begin(), migration.end(), main.begin()));
    EXPECT_EQ(main.data(), load(first, 133, "IsoImage").data()) << "loaded once, never copied";
}

TEST(MachineResources, MissingOrUnloadableResources) {
    Scenario scenario;
    scenario.resources = {
        ResourceSpec{"IsoImage", 133, 40000, std::nullopt, 1, ResourceLoad::Fail}};
    Machine machine(scenario);
    platform::Resources& resources = machine.platform().resources;
    const auto handle = resources.find("IsoImage", 133);
    ASSERT_NE(handle, platform::ResourceHandle::None);
    EXPECT_FALSE(resources.load(handle).has_value());
    EXPECT_EQ(resources.find("IsoImage", 144), platform::ResourceHandle::None);

    scenario.resources.clear();
    Machine bare(scenario);
    EXPECT_EQ(bare.platform().resources.find("IsoImage", 133), platform::ResourceHandle::None);
}

TEST(MachineResources, AnExternalProviderIsUsedInstead) {
    struct Fixed final : platform::Resources {
        std::array<std::uint8_t, 3> bytes{1, 2, 3};
        platform::ResourceHandle find(std::string_view type, std::uint16_t id) override {
            return type == "KERNEL_IMAGE" && id == 143 ? platform::ResourceHandle{7}
                                                       : platform::ResourceHandle::None;
        }
        std::optional<std::span<const std::uint8_t>> load(platform::ResourceHandle h) override {
            if (h != platform::ResourceHandle{7}) {
                return std::nullopt;
            }
            return std::span<const std::uint8_t>(bytes);
        }
    } fixed;
    Machine machine(Scenario{}, &fixed);
    platform::Resources& resources = machine.platform().resources;
    EXPECT_EQ(resources.find("IsoImage", 133), platform::ResourceHandle::None);
    const auto bytes = resources.load(resources.find("KERNEL_IMAGE", 143));
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->data(), fixed.bytes.data());
}

} // namespace
} // namespace sim
