#pragma once
// The main dialog's controls as the tool leaves them: each control's text, enable state and
// progress range and position, the window's Close command, and every status text in order.
// Texts are stored in place, reusing their capacity, so that a change allocates nothing.

#include "platform/dialog_controls.h"
#include "platform/sim/machine_core.h"

#include <functional>
#include <string>
#include <vector>

namespace sim {

inline constexpr int kStatusControlId = 1000;

struct ControlState {
    int id = 0;
    std::string text;
    bool enabled = true;
    std::uint16_t low = 0; // a progress bar's range as last set
    std::uint16_t high = 100;
    int position = 0; // held inside the range, as the system's bar holds it
};

struct ControlsSnapshot {
    std::vector<ControlState> controls; // every control touched so far and the dialog's own
    bool closeCommandEnabled = true;

    // The state of control `id`; a default one when it was never touched.
    ControlState control(int id) const;
};

class SimControls final : public platform::DialogControls {
  public:
    explicit SimControls(MachineCore& core);

    void setText(int controlId, std::string_view text) override;
    void enable(int controlId, bool enabled) override;
    void setProgressRange(int controlId, std::uint16_t low, std::uint16_t high) override;
    void setProgressPos(int controlId, int position) override;
    void enableCloseCommand(bool enabled) override;

    // Called with each status text as it is set, outside the machine's lock. Set it before the
    // tool runs.
    void setStatusObserver(std::function<void(std::string_view)> observer) {
        m_observer = std::move(observer);
    }

    // Read under the machine's lock.
    ControlsSnapshot snapshot() const;
    const std::vector<std::string>& statusHistory() const { return m_statusHistory; }

  private:
    ControlState& control(int id); // the caller holds the lock

    MachineCore& m_core;
    std::vector<ControlState> m_controls;
    bool m_closeCommandEnabled = true;
    std::vector<std::string> m_statusHistory; // kept while the transcript records
    std::function<void(std::string_view)> m_observer;
};

} // namespace sim
