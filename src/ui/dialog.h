#pragma once
// A modal dialog of the tool, built from a dialog template of the program's resources. The
// window system delivers its events here; the defaults are the dialog framework's: OK and Cancel
// end the dialog, system commands and painting go to the window system's own handling.

#include "platform/dialog_window.h"
#include "platform/window_system.h"

#include <cstdint>

class CDialog : public platform::DialogHandler {
  public:
    // Without a window system the dialog cannot be created.
    CDialog(std::uint16_t templateId, platform::WindowSystem* windows)
        : m_windows(windows), m_templateId(templateId) {}
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog to its end: the result given to EndDialog, or -1 when it cannot be created.
    int DoModal();
    void EndDialog(int result);

    bool onInitDialog(platform::DialogWindow& window) final;
    void onCommand(int id) final { OnCommand(id); }
    void onSysCommand(unsigned command, std::intptr_t parameter) final {
        OnSysCommand(command, parameter);
    }
    void onPaint() final { OnPaint(); }
    platform::IconHandle onQueryDragIcon() final { return OnQueryDragIcon(); }
    bool onQueryEndSession() final { return OnQueryEndSession(); }
    void onDestroy() final;

  protected:
    // Binds and fills the controls (DoDataExchange); true.
    virtual bool OnInitDialog();
    virtual void DoDataExchange() {}
    // IDOK and IDCANCEL, whether from a button or the keyboard.
    virtual void OnCommand(int id);
    virtual void OnOK();
    virtual void OnCancel();
    virtual void OnSysCommand(unsigned nID, std::intptr_t lParam);
    virtual void OnPaint();
    virtual platform::IconHandle OnQueryDragIcon() { return platform::IconHandle::None; }
    virtual bool OnQueryEndSession() { return true; }
    virtual void OnDestroy() {}

    // The dialog's window, from OnInitDialog until it is destroyed.
    platform::DialogWindow& window() { return *m_window; }

    platform::WindowSystem* m_windows;

  private:
    const std::uint16_t m_templateId;
    platform::DialogWindow* m_window = nullptr;
};
