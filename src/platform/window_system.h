#pragma once
// The windowing system: the application's start-up, modal dialogs built from the program's
// dialog templates, its icons and the system's metrics. Every call is made on the dialog's
// thread.

#include "platform/dialog_window.h"

#include <cstdint>
#include <string_view>

namespace platform {

inline constexpr int kSmCxIcon = 11; // SM_CXICON
inline constexpr int kSmCyIcon = 12; // SM_CYICON

class WindowSystem {
  public:
    virtual ~WindowSystem() = default;
    // The framework's own start-up of the application (CWinApp::InitInstance).
    virtual void initApplication() = 0;
    // Where the framework would keep the application's settings (SetRegistryKey). Nothing is
    // stored there.
    virtual void setRegistryKey(std::string_view key) = 0;
    // Creates the dialog of template `templateId` from the program's resources, calls
    // onInitDialog before it is shown, shows it unless it ended there, and delivers the user's
    // actions to `handler` until the dialog ends; onDestroy comes as its window goes. Returns
    // the result given to endDialog, or -1 when the dialog cannot be created.
    virtual int runModal(std::uint16_t templateId, DialogHandler& handler) = 0;
    // An icon group of the program's resources (LoadIcon), shared and never destroyed; None
    // when there is no such group.
    virtual IconHandle loadIcon(std::uint16_t groupId) = 0;
    virtual int systemMetric(int index) = 0;
};

} // namespace platform
