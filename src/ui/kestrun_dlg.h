#pragma once
// The main dialog's state: the one context object that discovery, the engine and the worker
// receive and work on.

#include "device/spti_context.h"
#include "platform/platform.h"
#include "ui/controls.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>

inline constexpr std::size_t kStageBufferSize = 1024;
inline constexpr std::size_t kStickVersionSize = 256;
inline constexpr unsigned IDS_NO_STICK = 3001;
inline constexpr unsigned IDS_CANNOT_START = 3002;

// What the engine's start-up learns for the dialog to show.
struct EngineFacts {
    std::string volumeLabel;
    char stickVersion[kStickVersionSize] = {};
};

class CKestrunDlg {
  public:
    explicit CKestrunDlg(platform::Platform& system);
    CKestrunDlg(const CKestrunDlg&) = delete;
    CKestrunDlg& operator=(const CKestrunDlg&) = delete;

    platform::Platform& system() { return m_system; }

    // The engine's part of start-up: the image label, the SptiContext, the stick and its
    // version, which decides the plan. 0 when the update can be offered; otherwise the id of the
    // message to show, with the SptiContext already released.
    unsigned StartEngine(EngineFacts& facts);
    // What the window's destruction frees: the SptiContext and the stage buffer.
    void ReleaseEngine();

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
    void DropSptiContext();

    platform::Platform& m_system;
};
