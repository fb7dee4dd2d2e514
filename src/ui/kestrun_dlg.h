#pragma once
// The main dialog (template 102): its start-up, its handlers, and the state that discovery, the
// engine and the worker receive and work on.

#include "device/spti_context.h"
#include "platform/platform.h"
#include "platform/window_system.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/resource_ids.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <span>
#include <string>

inline constexpr std::size_t kStageBufferSize = 1024;
inline constexpr std::size_t kStickVersionSize = 256;
inline constexpr std::size_t kLabelBufferSize = 256;

// What the engine's start-up learns for the dialog to show.
struct EngineFacts {
    std::string volumeLabel;
    char stickVersion[kStickVersionSize] = {};
};

// Where a minimised window draws its icon: centred, rounding as the system's dialogs do.
struct IconPlace {
    int x;
    int y;
};
IconPlace CentredIcon(const platform::Rect& client, int iconWidth, int iconHeight);

class CKestrunDlg : public CDialog {
  public:
    // Without a window system the dialog cannot be shown; its engine still runs (the tests and
    // benchmarks drive it so).
    explicit CKestrunDlg(platform::Platform& system, platform::WindowSystem* windows = nullptr);

    platform::Platform& system() { return m_system; }

    // The engine's part of start-up: the image label, the SptiContext, the stick and its
    // version, which decides the plan. 0 when the update can be offered; otherwise the id of the
    // message to show, with the SptiContext already released.
    unsigned StartEngine(EngineFacts& facts);
    // What the window's destruction frees: the SptiContext and the stage buffer.
    void ReleaseEngine();

    // Starts the update worker unless one runs already.
    void OnBnClickedUpdate();
    // Ends the dialog as Cancel, unless an update runs.
    void OnBnClickedCancel();
    // Greys or enables the window's Close command.
    void EnableCloseCommand(bool enabled) { m_system.controls.enableCloseCommand(enabled); }
    // True from the worker's start until its last act.
    bool UpdateRunning() const { return m_hWorker.load() != platform::ThreadHandle::None; }

    platform::IconHandle m_hIcon = platform::IconHandle::None;
    std::unique_ptr<SptiContext> m_pSpti;
    char m_chDrive = 0;
    std::atomic<platform::ThreadHandle> m_hWorker{platform::ThreadHandle::None};
    bool m_bTwoStage = false;
    ProgressBar m_progress;
    StaticText m_status;
    PushButton m_btnCancel;
    PushButton m_btnUpdate;
    std::unique_ptr<char[]> m_pszStage;

  protected:
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    void OnOK() override;
    void OnSysCommand(unsigned nID, std::intptr_t lParam) override;
    void OnPaint() override;
    platform::IconHandle OnQueryDragIcon() override { return m_hIcon; }
    bool OnQueryEndSession() override;
    void OnDestroy() override;

  private:
    void AddAboutEntry();
    void ShowToolVersion();
    // Steps 6 to 8 of start-up: the SptiContext, the stick, its version into `version`.
    unsigned StartStick(std::span<char> version);
    bool FailStartUp(unsigned message);
    void DropSptiContext();

    platform::Platform& m_system;
};
