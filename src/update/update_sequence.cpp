#include "update/update_sequence.h"

#include "device/stick_discovery.h"
#include "ui/kestrun_dlg.h"
#include "update/completion_check.h"
#include "update/image_write.h"
#include "update/payload_catalogue.h"

#include <cstring>
#include <mutex>

namespace {

constexpr std::uint16_t kPercentRange = 100;

const char* StageCaption(ImageKind kind) {
    return kind == IMAGE_KERNEL ? "Uploading Kernel Image..." : "Uploading ISO Image...";
}

// Finds a catalogue image and uploads it; false when the plan must end here.
bool SendStage(CKestrunDlg& dlg, const CatalogueEntry& image) {
    const platform::ResourceHandle resource = dlg.system().resources.find(image.typeName, image.id);
    return resource != platform::ResourceHandle::None &&
           UploadImage(dlg, image.kind, resource) >= 0;
}

} // namespace

int UploadImage(CKestrunDlg& dlg, ImageKind kind, platform::ResourceHandle resource) {
    std::strncpy(dlg.m_pszStage.get(), StageCaption(kind), kStageBufferSize - 1);
    dlg.m_status.SetWindowText(dlg.m_pszStage.get());
    dlg.m_progress.SetRange(0, kPercentRange);
    dlg.m_progress.SetPos(0);

    const auto image = dlg.system().resources.load(resource);
    if (!image) {
        dlg.m_status.SetWindowText("firmware upload failed.\r\n(Load Resource)");
        return -1;
    }
    SptiContext& context = *dlg.m_pSpti;
    {
        std::lock_guard guard(context.m_lock);
        FormatDevicePath(context.m_szPath, dlg.m_chDrive);
    }
    if (OpenSptiContext(context, context.m_szPath) != 0) {
        dlg.m_status.SetWindowText("firmware upload failed.\r\n(SPTI)");
        return -2;
    }
    const auto length = static_cast<std::uint32_t>(image->size());
    if (WriteImage(dlg, context, kind, image->data(), length) < 0) {
        dlg.m_status.SetWindowText("firmware upload failed.");
        CloseSptiContext(context);
        return -3;
    }
    CheckFirmwareStatus(dlg);
    CloseSptiContext(context);
    return 0;
}

unsigned UpdateThreadProc(CKestrunDlg& dlg) {
    dlg.m_btnCancel.EnableWindow(false);
    dlg.m_btnUpdate.EnableWindow(false);
    dlg.EnableCloseCommand(false);

    const bool migrated =
        !dlg.m_bTwoStage || (SendStage(dlg, kMigrationIso) && SendStage(dlg, kMigrationKernel));
    if (migrated) {
        SendStage(dlg, kMainIso);
    }

    dlg.EnableCloseCommand(true);
    dlg.m_btnCancel.SetWindowText("OK");
    dlg.m_btnCancel.EnableWindow(true);
    dlg.system().threads.close(dlg.m_hWorker.exchange(platform::ThreadHandle::None));
    return 0;
}
