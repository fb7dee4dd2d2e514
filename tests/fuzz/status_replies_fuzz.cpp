// The image write and the completion check against a stick whose every answer comes from the
// fuzz input: status replies of any bytes and length, failed commands, transport failures, any
// adapter geometry. Checks that the write stays inside the image and the buffer, numbers its
// chunks without gaps, stops after a refusal, and that the check ends on one of its verdicts.

#include "device/spti_context.h"
#include "device/stick_discovery.h"
#include "device/vendor_commands.h"
#include "fuzz_input.h"
#include "platform/storage_descriptors.h"
#include "quiet_platform.h"
#include "ui/kestrun_dlg.h"
#include "update/completion_check.h"
#include "update/image_write.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

namespace desc = platform::descriptor;

constexpr platform::DeviceHandle kHandle{1};

class ScriptedStick final : public platform::Storage {
  public:
    explicit ScriptedStick(fuzz::FuzzInput& input) : m_input(input) {}

    platform::OpenResult open(const char*, platform::OpenMode) override { return {kHandle, 0}; }
    void close(platform::DeviceHandle) override {}

    // The adapter's three figures and whether it reports them at all come from the input.
    platform::QueryResult queryProperty(platform::DeviceHandle, platform::StorageProperty property,
                                        std::span<std::uint8_t> out) override {
        if (property == platform::StorageProperty::Device || !adapterReported) {
            return {platform::QueryStatus::NotAvailable, 1};
        }
        std::uint8_t descriptor[desc::adapter::kSize] = {};
        desc::writeU32(descriptor, 4, desc::adapter::kSize);
        desc::writeU32(descriptor, desc::adapter::kMaximumTransferLength, maxTransferLength);
        desc::writeU32(descriptor, desc::adapter::kMaximumPhysicalPages, maxPages);
        desc::writeU32(descriptor, desc::adapter::kAlignmentMask, alignmentMask);
        std::memcpy(out.data(), descriptor, std::min(out.size(), sizeof descriptor));
        return {platform::QueryStatus::Delivered, 0};
    }

    bool passThrough(platform::DeviceHandle device,
                     platform::PassThroughRequest& request) override {
        fuzz::Require(device == kHandle, "command on a handle never opened");
        fuzz::Require(request.DataBuffer != nullptr, "command without a buffer");
        fuzz::Require(request.DataTransferLength <= bufferLimit, "command beyond the buffer");
        const std::uint8_t outcome = m_input.byte();
        if (m_input.empty() && outcome == 0) {
            return false; // the input is used up: the stick has gone
        }
        if (request.Cdb[0] == OP_WRITE_IMAGE) {
            recordChunk(request);
        }
        if ((outcome & 0x03) == 0x03) {
            return false; // transport failure
        }
        request.ScsiStatus = (outcome & 0x04) != 0 ? 2 : 0;
        if (request.Cdb[0] == OP_GET_STATUS) {
            const auto reply = m_input.take(kStatusReplyLength);
            const std::uint32_t moved =
                std::min<std::uint32_t>(outcome >> 4, request.DataTransferLength);
            std::memcpy(request.DataBuffer, reply.data(),
                        std::min<std::size_t>(moved, reply.size()));
            request.DataTransferLength = moved;
        }
        return true;
    }

    void recordChunk(const platform::PassThroughRequest& request) {
        const std::uint32_t number = std::uint32_t{request.Cdb[12]} << 8 | request.Cdb[13];
        const std::uint32_t length = std::uint32_t{request.Cdb[8]} << 16 |
                                     std::uint32_t{request.Cdb[9]} << 8 | request.Cdb[10];
        fuzz::Require(number == chunks % 65536, "chunk numbers not consecutive");
        fuzz::Require(length == request.DataTransferLength, "chunk length differs from the data");
        fuzz::Require(!lastSeen, "a chunk after the last one");
        lastSeen = request.Cdb[2] == 1;
        bytesSent += length;
        ++chunks;
    }

    bool adapterReported = false;
    std::uint32_t maxTransferLength = 0;
    std::uint32_t maxPages = 0;
    std::uint32_t alignmentMask = 0;
    std::uint64_t bufferLimit = 0;
    std::uint64_t chunks = 0;
    std::uint64_t bytesSent = 0;
    bool lastSeen = false;

  private:
    fuzz::FuzzInput& m_input;
};

bool IsVerdict(const std::string& text) {
    static const char* const kEndings[] = {
        " OK",     "Invalid Firmware", "Update Firmware Error", "Unknown Firmware status",
        "Timeout", "Update Done"};
    return std::any_of(std::begin(kEndings), std::end(kEndings), [&](const char* ending) {
        const std::string suffix(ending);
        return text.size() >= suffix.size() &&
               text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    ScriptedStick stick(input);
    const std::uint8_t geometry = input.byte();
    stick.adapterReported = (geometry & 1) != 0;
    // Small limits keep the chunk count, and so the run, short.
    stick.maxTransferLength = input.u32() % (64 * 1024);
    stick.maxPages = input.byte();
    stick.alignmentMask = (1u << (input.byte() % 13)) - 1;
    const std::uint32_t imageLength = input.u32() % (256 * 1024);

    fuzz::QuietMachine machine(stick);
    CKestrunDlg dlg(machine.system);
    dlg.m_pSpti = std::make_unique<SptiContext>(stick);
    dlg.m_pszStage = std::make_unique<char[]>(kStageBufferSize);
    std::strcpy(dlg.m_pszStage.get(), "Uploading ISO Image...");
    SptiContext& context = *dlg.m_pSpti;
    FormatDevicePath(context.m_szPath, 'E');
    fuzz::Require(OpenSptiContext(context, context.m_szPath) == 0, "open failed");
    fuzz::Require(context.m_dwTransferSize >= 2048 &&
                      context.m_dwTransferSize <= kMaximumTransferSize,
                  "transfer size out of bounds");
    fuzz::Require(
        (reinterpret_cast<std::uintptr_t>(context.m_pBuffer) & context.m_dwAlignmentMask) == 0,
        "buffer not aligned");
    stick.bufferLimit = std::max(context.m_dwTransferSize, kMinimumBufferSize);

    std::vector<std::uint8_t> image(imageLength, 0x5A);
    const int written = WriteImage(dlg, context, static_cast<ImageKind>(1 + geometry % 2),
                                   image.data(), imageLength);
    if (written == 0) {
        fuzz::Require(stick.bytesSent == imageLength, "accepted write did not send the image");
        fuzz::Require(imageLength == 0 || stick.lastSeen, "last chunk not flagged");
        CheckFirmwareStatus(dlg);
        fuzz::Require(IsVerdict(machine.controls.lastText), "check ended without a verdict");
    } else {
        fuzz::Require(stick.bytesSent <= imageLength, "failed write sent more than the image");
    }
    CloseSptiContext(context);
    return 0;
}
