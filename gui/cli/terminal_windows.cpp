#include "terminal_windows.h"

#include "ui/controls.h"
#include "ui/resource_ids.h"

#include <csignal>
#include <cstring>
#include <map>

namespace cli {

namespace {

volatile std::sig_atomic_t g_endRequested = 0;

extern "C" void RequestEnd(int) {
    g_endRequested = 1;
}

constexpr int kPollMs = 100;

} // namespace

// A dialog as the terminal keeps it: its texts and whether it has ended.
class TerminalWindows::Dialog final : public platform::DialogWindow {
  public:
    platform::SystemMenu* systemMenu() override { return nullptr; }
    void setIcon(platform::IconSize, platform::IconHandle) override {}
    void setItemText(int controlId, std::string_view text) override {
        m_texts[controlId] = std::string(text);
    }
    bool isIconic() override { return false; }
    platform::Rect clientRect() override { return {}; }
    platform::PaintDc beginPaint() override { return platform::PaintDc::None; }
    void eraseIconBackground(platform::PaintDc) override {}
    void drawIcon(platform::PaintDc, int, int, platform::IconHandle) override {}
    void endPaint(platform::PaintDc) override {}
    void defaultPaint() override {}
    void defaultSysCommand(unsigned command, std::intptr_t) override {
        if ((command & kSysCommandMask) == SC_CLOSE && m_handler != nullptr) {
            m_handler->onCommand(IDCANCEL);
        }
    }
    void endDialog(int result) override {
        if (!m_ended) {
            m_ended = true;
            m_result = result;
        }
    }

    platform::DialogHandler* m_handler = nullptr;
    std::map<int, std::string> m_texts;
    bool m_ended = false;
    int m_result = 0;
};

void TerminalWindows::initApplication() {
    std::signal(SIGINT, RequestEnd);
    std::signal(SIGTERM, RequestEnd);
}

int TerminalWindows::runModal(std::uint16_t templateId, platform::DialogHandler& handler) {
    Dialog dialog;
    dialog.m_handler = &handler;
    if (handler.onInitDialog(dialog) && !dialog.m_ended) {
        if (templateId == IDD_MAIN) {
            m_mainShown = true;
            runMainDialog(dialog, handler);
        } else {
            // The message dialog: its text, then OK.
            const auto text = dialog.m_texts.find(IDC_MESSAGE);
            if (text != dialog.m_texts.end()) {
                std::fprintf(stderr, "%s\n", text->second.c_str());
            }
            handler.onCommand(IDOK);
        }
    }
    handler.onDestroy();
    return dialog.m_result;
}

void TerminalWindows::runMainDialog(Dialog& dialog, platform::DialogHandler& handler) {
    std::printf("Version : %s\n", m_controls.control(IDC_TOOL_VERSION).text.c_str());
    std::printf("VolumeLabel: %s\n", m_controls.control(IDC_VOLUME_LABEL).text.c_str());
    std::printf("Qivar Version: %s\n", m_controls.control(IDC_STICK_VERSION).text.c_str());
    std::fflush(stdout);
    if (!confirm()) {
        m_declined = true;
        handler.onCommand(IDCANCEL);
        return;
    }
    if (m_timing != nullptr) {
        m_timing->started();
    }
    handler.onCommand(IDC_UPDATE);
    if (handler.onQueryEndSession()) {
        // No worker runs: it could not be started.
        std::fprintf(stderr, "The update could not be started.\n");
        m_declined = true;
        handler.onCommand(IDCANCEL);
        return;
    }
    waitForTheUpdate(handler);
    if (m_timing != nullptr) {
        m_timing->ended();
    }
    m_controls.finishLine();
    // The update has ended: OK ends the tool.
    handler.onCommand(IDCANCEL);
    (void)dialog;
}

bool TerminalWindows::confirm() {
    if (m_assumeYes) {
        return true;
    }
    std::printf("Update the firmware of the stick? [y/N] ");
    std::fflush(stdout);
    char answer[16] = {};
    if (m_in == nullptr || std::fgets(answer, sizeof answer, m_in) == nullptr) {
        std::printf("\n");
        return false;
    }
    return answer[0] == 'y' || answer[0] == 'Y';
}

// Until the worker's last act, answering interrupts as the session's end would be answered.
void TerminalWindows::waitForTheUpdate(platform::DialogHandler& handler) {
    while (!handler.onQueryEndSession()) {
        m_controls.waitFor(
            [](TerminalControls& controls) {
                const ControlState ok = controls.control(IDCANCEL);
                return ok.enabled && ok.text == "OK";
            },
            kPollMs);
        if (g_endRequested != 0) {
            g_endRequested = 0;
            if (!handler.onQueryEndSession()) {
                m_controls.finishLine();
                std::fprintf(stderr, "The update is running and cannot be stopped; "
                                     "the tool ends when it is done.\n");
            }
        }
    }
}

} // namespace cli
