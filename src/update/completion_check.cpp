#include "update/completion_check.h"

#include "device/vendor_commands.h"
#include "ui/kestrun_dlg.h"

#include <cstdio>
#include <mutex>

namespace {

constexpr std::uint32_t kSecondMs = 1000;
constexpr std::uint32_t kFillStepMs = 1;

std::int32_t QueryStatus(SptiContext& context, StatusReply& reply) {
    std::lock_guard guard(context.m_lock);
    return SendGetStatus(context, reply, kCheckTimeout);
}

template <typename... Args> void ShowText(CKestrunDlg& dlg, const char* format, Args... args) {
    char text[kStageBufferSize];
    std::snprintf(text, sizeof text, format, args...);
    dlg.m_status.SetWindowText(text);
}

// The stick is taken to be rebooting already: count its reboot down.
void WaitForReboot(CKestrunDlg& dlg) {
    for (int n = kNoAnswerCountdown; n >= 1; --n) {
        ShowText(dlg, "Wait %d for dongle reboot. \r\nDon't Remove dongle", n);
        dlg.system().clock.sleep(kSecondMs);
    }
    dlg.m_status.SetWindowText("Update Done");
}

// The stick took the image: fill the bar, show the verdict, count down its reboot.
void ReportSuccess(CKestrunDlg& dlg, int countdown) {
    platform::Clock& clock = dlg.system().clock;
    for (int position = kStatusWaitPasses - countdown; position < kStatusWaitPasses; ++position) {
        dlg.m_progress.SetPos(position);
        clock.sleep(kFillStepMs);
    }
    ShowText(dlg, "%s OK", dlg.m_pszStage.get());
    clock.sleep(kSecondMs);
    dlg.m_progress.SetRange(0, kRebootCountdown);
    dlg.m_progress.SetPos(0);
    for (int n = kRebootCountdown; n >= 1; --n) {
        ShowText(dlg, "Wait %d seconds for dongle reboot. \r\nDon't Remove dongle", n);
        dlg.m_progress.SetPos(kRebootCountdown - n);
        clock.sleep(kSecondMs);
    }
    dlg.m_status.SetWindowText("Update Done");
    dlg.m_progress.SetPos(kRebootCountdown);
}

} // namespace

void CheckFirmwareStatus(CKestrunDlg& dlg) {
    SptiContext& context = *dlg.m_pSpti;
    platform::Clock& clock = dlg.system().clock;
    dlg.m_progress.SetRange(0, kStatusWaitPasses);
    dlg.m_progress.SetPos(0);
    clock.sleep(kFirstQueryPauseMs);

    StatusReply reply;
    if (!IsValidStatus(QueryStatus(context, reply), reply)) {
        WaitForReboot(dlg);
        return;
    }
    dlg.m_status.SetWindowText("Checking Firmware status...");
    for (int countdown = kStatusWaitPasses;;) {
        ShowText(dlg, "Wait for %d seconds to check Firmware status. \r\nDon't remove dongle",
                 countdown);
        switch (StatusState(reply)) {
        case STATE_INVALID_FIRMWARE:
            dlg.m_status.SetWindowText("Invalid Firmware");
            return;
        case STATE_UPDATE_ERROR:
            dlg.m_status.SetWindowText("Update Firmware Error");
            return;
        case STATE_DONE:
            ReportSuccess(dlg, countdown);
            return;
        default:
            break;
        }
        // A later reply is not tested for the magic; one that is too short to reach the state
        // byte leaves the previous state in place.
        if (QueryStatus(context, reply) < 0) {
            dlg.m_status.SetWindowText("Unknown Firmware status");
            return;
        }
        dlg.m_progress.SetPos(kStatusWaitPasses - countdown);
        clock.sleep(kSecondMs);
        if (--countdown == 0) {
            dlg.m_status.SetWindowText("Timeout");
            return;
        }
    }
}
