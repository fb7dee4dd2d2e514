#include "update/image_write.h"

#include "ui/kestrun_dlg.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace {

bool FitsChunkNumbering(std::uint32_t length, std::uint32_t transferSize) {
    const std::uint64_t chunks = (std::uint64_t{length} + transferSize - 1) / transferSize;
    return chunks <= kMaxChunksPerImage;
}

// Percentage of the image sent, in 64 bits so that no 32-bit image length overflows it.
int PercentSent(std::uint32_t length, std::uint32_t remaining) {
    return static_cast<int>((std::uint64_t{length - remaining} * 100) / length);
}

} // namespace

int WriteImage(CKestrunDlg& dlg, SptiContext& context, ImageKind kind, const std::uint8_t* image,
               std::uint32_t length) {
    std::lock_guard guard(context.m_lock);
    const std::uint32_t transferSize = context.m_dwTransferSize;
    // An image the command cannot number is refused before anything reaches the stick.
    if (!FitsChunkNumbering(length, transferSize)) {
        return -1;
    }
    platform::Clock& clock = dlg.system().clock;

    StatusReply reply;
    bool polling = IsValidStatus(SendGetStatus(context, reply, kPreCheckTimeout), reply);

    platform::PassThroughRequest request;
    PrepareWriteRequest(request, context, kind, length);
    std::uint32_t chunkNumber = 0;
    if (length == 0) {
        return 0;
    }

    std::uint32_t remaining = length;
    const std::uint8_t* source = image;
    while (remaining > 0) {
        const std::uint32_t chunkLength = std::min(remaining, transferSize);
        std::memcpy(context.m_pBuffer, source, chunkLength);
        source += chunkLength;
        remaining -= chunkLength;
        SetWriteChunk(request, chunkLength, chunkNumber, remaining == 0);
        ++chunkNumber;
        if (!SubmitRequest(context, request)) {
            return -1;
        }
        clock.sleep(kChunkPauseMs);

        while (remaining > 0 && polling) {
            const std::int32_t count = SendGetStatus(context, reply, kPollTimeout);
            if (!IsValidStatus(count, reply)) {
                polling = false;
                break;
            }
            const std::uint8_t state = StatusState(reply);
            if (state == STATE_INVALID_FIRMWARE || state == STATE_UPDATE_ERROR) {
                return -1;
            }
            if (state != STATE_BUSY) {
                break;
            }
            clock.sleep(kBusyPauseMs);
        }
        ReportUploadProgress(PercentSent(length, remaining), dlg);
    }
    return 0;
}

void ReportUploadProgress(int percentage, CKestrunDlg& dlg) {
    char text[kStageBufferSize];
    std::snprintf(text, sizeof text, "%s (%d%%)", dlg.m_pszStage.get(), percentage);
    dlg.m_status.SetWindowText(text);
    dlg.m_progress.SetPos(percentage);
}
