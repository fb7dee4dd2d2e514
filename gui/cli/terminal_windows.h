#pragma once
// The tool's dialogs on a terminal. The main dialog prints the three facts, asks before it
// presses Update (unless told yes), follows the update in the status lines and presses OK at
// its end; the message dialog prints its text. There is no system menu, so the about box is
// never asked for. An interrupt (Ctrl+C) or a termination request is the desktop session
// asking to end: refused while the update runs.

#include "platform/window_system.h"
#include "terminal_controls.h"
#include "update_timing.h"

#include <atomic>
#include <cstdio>
#include <string>

namespace cli {

class TerminalWindows final : public platform::WindowSystem {
  public:
    TerminalWindows(TerminalControls& controls, std::FILE* in, bool assumeYes)
        : m_controls(controls), m_in(in), m_assumeYes(assumeYes) {}

    void initApplication() override;
    void setRegistryKey(std::string_view) override {}
    int runModal(std::uint16_t templateId, platform::DialogHandler& handler) override;
    platform::IconHandle loadIcon(std::uint16_t) override { return platform::IconHandle::None; }
    int systemMetric(int) override { return 0; }

    // Times the update, when given.
    void timeWith(UpdateTiming* timing) { m_timing = timing; }

    // Whether the main dialog was shown: false when start-up failed.
    bool mainDialogShown() const { return m_mainShown; }
    // Whether the user was asked and said no, or the update could not start.
    bool updateDeclined() const { return m_declined; }

  private:
    class Dialog;
    void runMainDialog(Dialog& dialog, platform::DialogHandler& handler);
    bool confirm();
    void waitForTheUpdate(platform::DialogHandler& handler);

    TerminalControls& m_controls;
    std::FILE* const m_in;
    const bool m_assumeYes;
    bool m_mainShown = false;
    bool m_declined = false;
    UpdateTiming* m_timing = nullptr;
};

} // namespace cli
