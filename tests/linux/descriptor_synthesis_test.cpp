// The storage descriptors built from sysfs, and the transfer size the logic takes from them.

#include "device/spti_context.h"
#include "fake_machine.h"
#include "platform/linux/descriptor_synthesis.h"
#include "platform/storage_descriptors.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

namespace desc = platform::descriptor;
using namespace platform::linux_backend;

TEST(AdapterLimits, TheVerifiedQueueGives120KiBChunks) {
    // max_hw_sectors_kb 120, max_segments 2048, dma_alignment 511: a 120 KiB data-out command
    // works on this stick, 124 KiB fails.
    const AdapterFigures figures = MapQueueLimits(QueueLimits{120, 2048, 511});
    EXPECT_EQ(figures.maximumTransferLength, 122'880u);
    EXPECT_EQ(figures.maximumPhysicalPages, 2048u);
    EXPECT_EQ(figures.alignmentMask, 511u);
    // 2047 pages of 4096 bytes exceed the 122,880-byte maximum, which then rules.
    EXPECT_EQ(ComputeTransferSize(figures.maximumTransferLength, figures.maximumPhysicalPages),
              122'880u);

    const auto bytes = BuildAdapterDescriptor(figures, true);
    ASSERT_EQ(bytes.size(), desc::adapter::kSize);
    EXPECT_EQ(desc::readU32(bytes, 4), desc::adapter::kSize);
    EXPECT_EQ(desc::readU32(bytes, desc::adapter::kMaximumTransferLength), 122'880u);
    EXPECT_EQ(desc::readU32(bytes, desc::adapter::kMaximumPhysicalPages), 2048u);
    EXPECT_EQ(desc::readU32(bytes, desc::adapter::kAlignmentMask), 511u);
    EXPECT_EQ(bytes[24], desc::kBusTypeUsb);
}

TEST(AdapterLimits, MappingOfOtherFigures) {
    struct Case {
        QueueLimits limits;
        std::uint32_t length, pages, mask, transferSize;
    };
    const Case cases[] = {
        // few segments rule: (17 - 1) pages
        {{512, 17, 3}, 524'288, 17, 3, 65'536},
        // a queue of one segment still moves a page
        {{4, 1, 0}, 4'096, 1, 0, 4'096},
        // kilobytes beyond 32 bits of bytes are held at the largest length
        {{8'000'000'000ull, 4, 511}, 0xFFFFFFFFu, 4, 511, 12'288},
        // an alignment that is no mask becomes one, held to a page
        {{120, 2048, 300}, 122'880, 2048, 511, 122'880},
        {{120, 2048, 1ull << 40}, 122'880, 2048, 4095, 122'880},
    };
    for (const Case& c : cases) {
        const AdapterFigures figures = MapQueueLimits(c.limits);
        EXPECT_EQ(figures.maximumTransferLength, c.length) << c.limits.maxHwSectorsKb;
        EXPECT_EQ(figures.maximumPhysicalPages, c.pages);
        EXPECT_EQ(figures.alignmentMask, c.mask) << c.limits.dmaAlignment;
        EXPECT_EQ(ComputeTransferSize(figures.maximumTransferLength, figures.maximumPhysicalPages),
                  c.transferSize);
    }
}

std::string TextAt(const std::vector<std::uint8_t>& bytes, std::size_t field) {
    return reinterpret_cast<const char*>(bytes.data() + desc::readU32(bytes, field));
}

TEST(DeviceDescriptor, CarriesTheIdentifiersAsTheDeviceReportsThem) {
    const auto stick = BuildDeviceDescriptor(DescribeDevice(test::StickRecord()));
    EXPECT_EQ(desc::readU32(stick, 4), stick.size());
    EXPECT_EQ(desc::readU32(stick, desc::device::kBusType), desc::kBusTypeUsb);
    EXPECT_EQ(stick[desc::device::kDeviceType], 5);
    EXPECT_EQ(stick[desc::device::kRemovableMedia], 1);
    EXPECT_EQ(TextAt(stick, desc::device::kVendorIdOffset), "KORVALIN");
    EXPECT_EQ(TextAt(stick, desc::device::kProductIdOffset), "QX-LM704        ");
    EXPECT_EQ(TextAt(stick, desc::device::kProductRevisionOffset), "1.00");
    EXPECT_EQ(desc::readU32(stick, desc::device::kSerialNumberOffset), 0u);

    const auto dvd = BuildDeviceDescriptor(DescribeDevice(test::DvdRecord()));
    EXPECT_EQ(desc::readU32(dvd, desc::device::kBusType), kBusTypeScsi);
    EXPECT_EQ(TextAt(dvd, desc::device::kVendorIdOffset), "HL-DT-ST");
}

TEST(DeviceDescriptor, DeliveryCutsToTheBuffer) {
    const auto descriptor = BuildDeviceDescriptor(DescribeDevice(test::StickRecord()));
    std::vector<std::uint8_t> header(desc::kHeaderSize, 0xEE);
    EXPECT_EQ(Deliver(descriptor, header).status, platform::QueryStatus::Delivered);
    EXPECT_EQ(desc::readU32(header, 4), descriptor.size()) << "the header tells the full size";

    std::vector<std::uint8_t> roomy(4096, 0xEE);
    EXPECT_EQ(Deliver(descriptor, roomy).status, platform::QueryStatus::Delivered);
    EXPECT_TRUE(std::equal(descriptor.begin(), descriptor.end(), roomy.begin()));
    EXPECT_EQ(roomy.back(), 0) << "the rest of the buffer is cleared";

    std::vector<std::uint8_t> tiny(4, 0xEE);
    EXPECT_EQ(Deliver(descriptor, tiny).status, platform::QueryStatus::NotAvailable);
    EXPECT_EQ(Deliver(std::nullopt, roomy).status, platform::QueryStatus::NotAvailable);
}

} // namespace
