#include "platform/sim/sim_windows.h"

#include <stdexcept>

namespace sim {

namespace {

constexpr std::uint16_t kMainTemplate = 102;
constexpr int kIdCancel = 2;
constexpr unsigned kSysCommandMask = 0xFFF0;
constexpr unsigned kScClose = 0xF060;

} // namespace

SimDialog::SimDialog(SimWindows& windows, std::uint16_t templateId,
                     platform::DialogHandler& handler)
    : m_windows(windows), m_templateId(templateId), m_handler(handler) {}

std::string SimDialog::itemText(int controlId) const {
    const auto it = m_texts.find(controlId);
    return it != m_texts.end() ? it->second : std::string{};
}

void SimDialog::click(int controlId) {
    if (m_templateId == kMainTemplate && !m_windows.controlEnabled(controlId)) {
        m_windows.record("click_ignored", [&](auto& f) { f["id"] = controlId; });
        return;
    }
    m_handler.onCommand(controlId);
}

void SimDialog::closeFromTitleBar() {
    if (m_templateId == kMainTemplate && !m_windows.closeCommandEnabled()) {
        m_windows.record("close_ignored", [](auto&) {});
        return;
    }
    m_handler.onSysCommand(kScClose, 0);
}

platform::SystemMenu* SimDialog::systemMenu() {
    return m_windows.m_hasSystemMenu ? &m_systemMenu : nullptr;
}

void SimDialog::Menu::appendSeparator() {
    m_dialog.m_menu.push_back(MenuEntry{true, 0, {}});
    m_dialog.m_windows.record("menu_append", [](auto& f) { f["separator"] = true; });
}

void SimDialog::Menu::appendString(unsigned command, std::string_view text) {
    m_dialog.m_menu.push_back(MenuEntry{false, command, std::string(text)});
    m_dialog.m_windows.record("menu_append", [&](auto& f) {
        f["command"] = command;
        f["text"] = std::string(text);
    });
}

void SimDialog::setIcon(platform::IconSize size, platform::IconHandle icon) {
    m_windows.record("set_icon", [&](auto& f) {
        f["size"] = size == platform::IconSize::Big ? "big" : "small";
        f["icon"] = static_cast<std::uintptr_t>(icon);
    });
}

void SimDialog::setItemText(int controlId, std::string_view text) {
    m_texts[controlId] = std::string(text);
    m_windows.record("item_text", [&](auto& f) {
        f["template"] = m_templateId;
        f["id"] = controlId;
        f["text"] = std::string(text);
    });
}

bool SimDialog::isIconic() {
    return m_windows.m_iconic;
}

platform::Rect SimDialog::clientRect() {
    return m_windows.m_clientRect;
}

platform::PaintDc SimDialog::beginPaint() {
    const auto dc = static_cast<platform::PaintDc>(++m_paints);
    m_windows.record("paint_begin", [&](auto& f) { f["dc"] = m_paints; });
    return dc;
}

void SimDialog::eraseIconBackground(platform::PaintDc dc) {
    m_windows.record("icon_erase_background",
                     [&](auto& f) { f["dc"] = static_cast<std::uintptr_t>(dc); });
}

void SimDialog::drawIcon(platform::PaintDc dc, int x, int y, platform::IconHandle icon) {
    m_windows.record("draw_icon", [&](auto& f) {
        f["dc"] = static_cast<std::uintptr_t>(dc);
        f["x"] = x;
        f["y"] = y;
        f["icon"] = static_cast<std::uintptr_t>(icon);
    });
}

void SimDialog::endPaint(platform::PaintDc dc) {
    m_windows.record("paint_end", [&](auto& f) { f["dc"] = static_cast<std::uintptr_t>(dc); });
}

void SimDialog::defaultPaint() {
    m_windows.record("default_paint", [](auto&) {});
}

// Close asks the dialog to end as Cancel does; the other window commands change nothing here.
void SimDialog::defaultSysCommand(unsigned command, std::intptr_t parameter) {
    m_windows.record("default_sys_command", [&](auto& f) {
        f["command"] = command;
        f["parameter"] = parameter;
    });
    if ((command & kSysCommandMask) == kScClose) {
        m_handler.onCommand(kIdCancel);
    }
}

void SimDialog::endDialog(int result) {
    if (m_ended) {
        return;
    }
    m_ended = true;
    m_result = result;
    m_windows.record("dialog_end", [&](auto& f) {
        f["template"] = m_templateId;
        f["result"] = result;
    });
}

void SimWindows::initApplication() {
    record("app_init", [](auto&) {});
}

void SimWindows::setRegistryKey(std::string_view key) {
    {
        std::lock_guard lock(m_core.mutex);
        m_registryKey = std::string(key);
    }
    record("registry_key", [&](auto& f) { f["key"] = std::string(key); });
}

int SimWindows::runModal(std::uint16_t templateId, platform::DialogHandler& handler) {
    const bool exists = m_resources.findOrdinal(platform::kRtDialog, templateId, std::nullopt) !=
                        platform::ResourceHandle::None;
    record("dialog_create", [&](auto& f) {
        f["template"] = templateId;
        f["ok"] = exists;
    });
    if (!exists) {
        return -1;
    }
    SimDialog dialog(*this, templateId, handler);
    const bool ready = handler.onInitDialog(dialog);
    const bool shown = ready && !dialog.ended();
    if (shown) {
        record("dialog_show", [&](auto& f) { f["template"] = templateId; });
        if (m_user) {
            m_user(dialog);
        }
        if (!dialog.ended()) {
            dialog.closeFromTitleBar();
        }
        if (!dialog.ended()) {
            throw std::logic_error("the simulated user left a dialog open");
        }
    }
    handler.onDestroy();
    record("dialog_destroy", [&](auto& f) { f["template"] = templateId; });
    std::lock_guard lock(m_core.mutex);
    m_dialogs.push_back(
        DialogRecord{templateId, shown, dialog.result(), dialog.texts(), dialog.menu()});
    return dialog.result();
}

platform::IconHandle SimWindows::loadIcon(std::uint16_t groupId) {
    const bool exists = m_resources.findOrdinal(platform::kRtGroupIcon, groupId, std::nullopt) !=
                        platform::ResourceHandle::None;
    const auto icon =
        exists ? static_cast<platform::IconHandle>(groupId) : platform::IconHandle::None;
    record("load_icon", [&](auto& f) {
        f["group"] = groupId;
        f["icon"] = static_cast<std::uintptr_t>(icon);
    });
    return icon;
}

int SimWindows::systemMetric(int index) {
    constexpr int kSmCxIcon = 11;
    constexpr int kSmCyIcon = 12;
    return index == kSmCxIcon ? m_iconWidth : index == kSmCyIcon ? m_iconHeight : 0;
}

std::vector<DialogRecord> SimWindows::dialogs() const {
    std::lock_guard lock(m_core.mutex);
    return m_dialogs;
}

std::string SimWindows::registryKey() const {
    std::lock_guard lock(m_core.mutex);
    return m_registryKey;
}

bool SimWindows::controlEnabled(int controlId) const {
    std::lock_guard lock(m_core.mutex);
    return m_controls.snapshot().control(controlId).enabled;
}

bool SimWindows::closeCommandEnabled() const {
    std::lock_guard lock(m_core.mutex);
    return m_controls.snapshot().closeCommandEnabled;
}

} // namespace sim
