#pragma once
// The main dialog's state: the one context object that discovery, the engine and the worker
// receive and work on.

#include "device/spti_context.h"
#include "platform/platform.h"
#include "ui/controls.h"

#include <atomic>
#include <cstddef>
#include <memory>

inline constexpr std::size_t kStageBufferSize = 1024;

class CKestrunDlg {
  public:
    explicit CKestrunDlg(platform::Platform& system);
    CKestrunDlg(const CKestrunDlg&) = delete;
    CKestrunDlg& operator=(const CKestrunDlg&) = delete;

    platform::Platform& system() { return m_system; }

    // Starts the update worker unless one runs already.
    void OnBnClickedUpdate();
    // Greys or enables the window's Close command.
    void EnableCloseCommand(bool enabled) { m_system.controls.enableCloseCommand(enabled); }

    std::unique_ptr<SptiContext> m_pSpti;
    char m_chDrive = 0;
    std::atomic<platform::ThreadHandle> m_hWorker{platform::ThreadHandle::None};
    bool m_bTwoStage = false;
    ProgressBar m_progress;
    StaticText m_status;
    PushButton m_btnCancel;
    PushButton m_btnUpdate;
    std::unique_ptr<char[]> m_pszStage;

  private:
    platform::Platform& m_system;
};
