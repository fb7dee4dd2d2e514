#pragma once
// The main dialog's controls on a terminal. Every change is applied under one lock before the
// call returns, whichever thread makes it, and passed on to a second set of controls when one is
// given (the simulated machine's, which records them). Status texts are printed as they change:
// on a terminal with a progress bar beneath them, otherwise as plain lines.

#include "platform/dialog_controls.h"

#include <condition_variable>
#include <cstdio>
#include <functional>
#include <map>
#include <mutex>
#include <string>

namespace cli {

struct ControlState {
    std::string text;
    bool enabled = true;
    int low = 0;
    int high = 100;
    int position = 0;
};

class TerminalControls final : public platform::DialogControls {
  public:
    TerminalControls(std::FILE* out, bool drawBar) : m_out(out), m_drawBar(drawBar) {}

    // Set before the tool runs.
    void passOnTo(platform::DialogControls* next) { m_next = next; }
    void onStatus(std::function<void(const std::string&)> observer) {
        m_statusObserver = std::move(observer);
    }

    void setText(int controlId, std::string_view text) override;
    void enable(int controlId, bool enabled) override;
    void setProgressRange(int controlId, std::uint16_t low, std::uint16_t high) override;
    void setProgressPos(int controlId, int position) override;
    void enableCloseCommand(bool enabled) override;

    ControlState control(int controlId);
    // Waits until `done` holds for the controls, or `timeoutMs` passes; whether it holds.
    bool waitFor(const std::function<bool(TerminalControls&)>& done, int timeoutMs);
    // Ends the progress bar's line, if one is drawn.
    void finishLine();

  private:
    ControlState& state(int controlId) { return m_controls[controlId]; }
    void drawBar(); // the caller holds the lock

    std::FILE* const m_out;
    const bool m_drawBar;
    platform::DialogControls* m_next = nullptr;
    std::function<void(const std::string&)> m_statusObserver;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<int, ControlState> m_controls;
    bool m_closeEnabled = true;
    bool m_barShown = false;
};

// A status text on one line: "\r\n" becomes a blank.
std::string OneLine(std::string_view text);

} // namespace cli
