#pragma once
// The application: it runs the main dialog modally and ends when the dialog has closed.

#include "platform/platform.h"
#include "platform/window_system.h"

#include <string_view>

class CKestrunDlg;

// Where the dialog framework would keep the tool's settings; nothing is ever stored there. (The
// Windows build keeps the same words in code page 932, 64 bytes.)
inline constexpr std::string_view kRegistryKey =
    "アプリケーション ウィザードで生成されたローカル アプリケーション";

class CKestrunApp {
  public:
    CKestrunApp(platform::Platform& system, platform::WindowSystem& windows)
        : m_system(system), m_windows(windows) {}

    // Runs the tool: the framework's start-up, the main dialog to its end. Always false, so that
    // no message loop follows and the process ends.
    bool InitInstance();

    // The main dialog while it runs; null before and after.
    CKestrunDlg* m_pMainWnd = nullptr;

  private:
    platform::Platform& m_system;
    platform::WindowSystem& m_windows;
};
