#include "terminal_controls.h"

#include "ui/controls.h"

#include <algorithm>
#include <chrono>

namespace cli {

namespace {

constexpr int kBarWidth = 30;

} // namespace

std::string OneLine(std::string_view text) {
    std::string line;
    for (const char c : text) {
        if (c == '\n') {
            line += ' ';
        } else if (c != '\r') {
            line += c;
        }
    }
    return line;
}

void TerminalControls::setText(int controlId, std::string_view text) {
    {
        std::lock_guard lock(m_mutex);
        state(controlId).text.assign(text);
        if (controlId == IDC_STATUS) {
            if (m_barShown) {
                std::fputs("\r\033[K", m_out);
            }
            std::fprintf(m_out, "%s\n", OneLine(text).c_str());
            m_barShown = false;
            drawBar();
            std::fflush(m_out);
        }
        m_changed.notify_all();
    }
    if (m_next != nullptr) {
        m_next->setText(controlId, text);
    }
    if (controlId == IDC_STATUS && m_statusObserver) {
        m_statusObserver(std::string(text));
    }
}

void TerminalControls::enable(int controlId, bool enabled) {
    {
        std::lock_guard lock(m_mutex);
        state(controlId).enabled = enabled;
        m_changed.notify_all();
    }
    if (m_next != nullptr) {
        m_next->enable(controlId, enabled);
    }
}

void TerminalControls::setProgressRange(int controlId, std::uint16_t low, std::uint16_t high) {
    {
        std::lock_guard lock(m_mutex);
        ControlState& bar = state(controlId);
        bar.low = low;
        bar.high = high;
        bar.position = std::clamp(bar.position, bar.low, std::max(bar.low, bar.high));
        drawBar();
        m_changed.notify_all();
    }
    if (m_next != nullptr) {
        m_next->setProgressRange(controlId, low, high);
    }
}

void TerminalControls::setProgressPos(int controlId, int position) {
    {
        std::lock_guard lock(m_mutex);
        ControlState& bar = state(controlId);
        bar.position = std::clamp(position, bar.low, std::max(bar.low, bar.high));
        drawBar();
        m_changed.notify_all();
    }
    if (m_next != nullptr) {
        m_next->setProgressPos(controlId, position);
    }
}

void TerminalControls::enableCloseCommand(bool enabled) {
    {
        std::lock_guard lock(m_mutex);
        m_closeEnabled = enabled;
        m_changed.notify_all();
    }
    if (m_next != nullptr) {
        m_next->enableCloseCommand(enabled);
    }
}

ControlState TerminalControls::control(int controlId) {
    std::lock_guard lock(m_mutex);
    return state(controlId);
}

bool TerminalControls::waitFor(const std::function<bool(TerminalControls&)>& done, int timeoutMs) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        lock.unlock();
        const bool holds = done(*this);
        lock.lock();
        return holds;
    });
}

void TerminalControls::finishLine() {
    std::lock_guard lock(m_mutex);
    if (m_barShown) {
        std::fputs("\n", m_out);
        m_barShown = false;
    }
}

void TerminalControls::drawBar() {
    if (!m_drawBar || state(IDC_STATUS).text.empty()) {
        return;
    }
    const ControlState& bar = state(IDC_PROGRESS);
    const int span = std::max(1, bar.high - bar.low);
    const int filled = (bar.position - bar.low) * kBarWidth / span;
    std::string line(static_cast<std::size_t>(kBarWidth), '.');
    std::fill_n(line.begin(), std::clamp(filled, 0, kBarWidth), '#');
    std::fprintf(m_out, "\r\033[K[%s] %d/%d", line.c_str(), bar.position - bar.low, span);
    std::fflush(m_out);
    m_barShown = true;
}

} // namespace cli
