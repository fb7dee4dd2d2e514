#include "platform/sim/sim_controls.h"

#include <algorithm>
#include <string>

namespace sim {

namespace {

// The main dialog's controls: OK, Cancel and 1000 to 1006. They exist from the start with room
// for any text the tool formats (its buffers hold 1024 bytes).
constexpr int kDialogControls[] = {1, 2, 1000, 1001, 1002, 1003, 1004, 1005, 1006};
constexpr std::size_t kTextCapacity = 1024;
constexpr std::size_t kReservedControls = 32;

} // namespace

ControlState ControlsSnapshot::control(int id) const {
    const auto it = std::find_if(controls.begin(), controls.end(),
                                 [id](const ControlState& c) { return c.id == id; });
    if (it != controls.end()) {
        return *it;
    }
    ControlState state;
    state.id = id;
    return state;
}

SimControls::SimControls(MachineCore& core) : m_core(core) {
    m_controls.reserve(kReservedControls);
    for (const int id : kDialogControls) {
        control(id);
    }
}

ControlState& SimControls::control(int id) {
    for (ControlState& state : m_controls) {
        if (state.id == id) {
            return state;
        }
    }
    ControlState state;
    state.id = id;
    state.text.reserve(kTextCapacity);
    m_controls.push_back(std::move(state));
    return m_controls.back();
}

void SimControls::setText(int controlId, std::string_view text) {
    {
        std::lock_guard lock(m_core.mutex);
        control(controlId).text.assign(text.data(), text.size());
        if (controlId == kStatusControlId && m_core.transcript.recording()) {
            m_statusHistory.emplace_back(text);
        }
        m_core.record("text", [&](auto& f) {
            f["id"] = controlId;
            f["text"] = std::string(text);
        });
    }
    if (controlId == kStatusControlId && m_observer) {
        m_observer(text);
    }
}

void SimControls::enable(int controlId, bool enabled) {
    std::lock_guard lock(m_core.mutex);
    control(controlId).enabled = enabled;
    m_core.record("enable", [&](auto& f) {
        f["id"] = controlId;
        f["enabled"] = enabled;
    });
}

void SimControls::setProgressRange(int controlId, std::uint16_t low, std::uint16_t high) {
    std::lock_guard lock(m_core.mutex);
    ControlState& state = control(controlId);
    state.low = low;
    state.high = high;
    m_core.record("progress_range", [&](auto& f) {
        f["id"] = controlId;
        f["low"] = low;
        f["high"] = high;
    });
}

void SimControls::setProgressPos(int controlId, int position) {
    std::lock_guard lock(m_core.mutex);
    // The bar, like the system's, stays inside its range; the transcript keeps what was asked.
    ControlState& state = control(controlId);
    state.position =
        state.low <= state.high ? std::clamp<int>(position, state.low, state.high) : position;
    m_core.record("progress_pos", [&](auto& f) {
        f["id"] = controlId;
        f["pos"] = position;
    });
}

void SimControls::enableCloseCommand(bool enabled) {
    std::lock_guard lock(m_core.mutex);
    m_closeCommandEnabled = enabled;
    m_core.record("close_command", [&](auto& f) { f["enabled"] = enabled; });
}

ControlsSnapshot SimControls::snapshot() const {
    return ControlsSnapshot{m_controls, m_closeCommandEnabled};
}

} // namespace sim
