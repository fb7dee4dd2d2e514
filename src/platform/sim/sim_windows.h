#pragma once
// The simulated window system: modal dialogs that exist only as state and transcript, and a
// scripted user who acts on each dialog once it is shown. Dialogs are created only from
// templates the program's resources hold, as the system creates them.

#include "platform/resources.h"
#include "platform/sim/machine_core.h"
#include "platform/sim/sim_controls.h"
#include "platform/window_system.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace sim {

struct MenuEntry {
    bool separator = false;
    unsigned command = 0;
    std::string text;
};

// One modal dialog while it runs: what the window system did to it, and the user's actions on
// it. The actions go to the dialog's logic as the system would deliver them.
class SimDialog final : public platform::DialogWindow {
  public:
    SimDialog(class SimWindows& windows, std::uint16_t templateId,
              platform::DialogHandler& handler);

    std::uint16_t templateId() const { return m_templateId; }
    bool ended() const { return m_ended; }
    int result() const { return m_result; }
    std::string itemText(int controlId) const;
    const std::vector<MenuEntry>& menu() const { return m_menu; }
    const std::map<int, std::string>& texts() const { return m_texts; }

    // A click on a button; one on a disabled control of the main dialog sends nothing.
    void click(int controlId);
    // A click that reached the dialog's queue before the button was disabled.
    void deliverClick(int controlId) { m_handler.onCommand(controlId); }
    void pressEnter() { m_handler.onCommand(1); }  // IDOK
    void pressEscape() { m_handler.onCommand(2); } // IDCANCEL
    // The title bar's close button: nothing while the Close command is grey.
    void closeFromTitleBar();
    // A command of the system menu, or any other system command.
    void systemCommand(unsigned command) { m_handler.onSysCommand(command, 0); }
    // The desktop session asks whether it may end.
    bool queryEndSession() { return m_handler.onQueryEndSession(); }
    void paint() { m_handler.onPaint(); }
    platform::IconHandle queryDragIcon() { return m_handler.onQueryDragIcon(); }

    platform::SystemMenu* systemMenu() override;
    void setIcon(platform::IconSize size, platform::IconHandle icon) override;
    void setItemText(int controlId, std::string_view text) override;
    bool isIconic() override;
    platform::Rect clientRect() override;
    platform::PaintDc beginPaint() override;
    void eraseIconBackground(platform::PaintDc dc) override;
    void drawIcon(platform::PaintDc dc, int x, int y, platform::IconHandle icon) override;
    void endPaint(platform::PaintDc dc) override;
    void defaultPaint() override;
    void defaultSysCommand(unsigned command, std::intptr_t parameter) override;
    void endDialog(int result) override;

  private:
    class Menu final : public platform::SystemMenu {
      public:
        explicit Menu(SimDialog& dialog) : m_dialog(dialog) {}
        void appendSeparator() override;
        void appendString(unsigned command, std::string_view text) override;

      private:
        SimDialog& m_dialog;
    };

    SimWindows& m_windows;
    const std::uint16_t m_templateId;
    platform::DialogHandler& m_handler;
    Menu m_systemMenu{*this};
    std::vector<MenuEntry> m_menu;
    std::map<int, std::string> m_texts;
    bool m_ended = false;
    int m_result = 0;
    std::uintptr_t m_paints = 0;
};

// A dialog as it ended.
struct DialogRecord {
    std::uint16_t templateId = 0;
    bool shown = false; // false when it ended in its initialisation
    int result = 0;
    std::map<int, std::string> texts; // texts the logic gave its controls
    std::vector<MenuEntry> menu;
};

class SimWindows final : public platform::WindowSystem {
  public:
    SimWindows(MachineCore& core, platform::Resources& resources, SimControls& controls)
        : m_core(core), m_resources(resources), m_controls(controls) {}

    // The user, called with each dialog once it is shown. When the user leaves a dialog open,
    // it is closed from its title bar; runModal throws std::logic_error if even that leaves it
    // open. Set before the tool runs.
    void setUser(std::function<void(SimDialog&)> user) { m_user = std::move(user); }
    void setHasSystemMenu(bool has) { m_hasSystemMenu = has; }
    void setIconic(bool iconic) { m_iconic = iconic; }
    void setClientRect(platform::Rect rect) { m_clientRect = rect; }
    void setIconMetrics(int width, int height) {
        m_iconWidth = width;
        m_iconHeight = height;
    }

    void initApplication() override;
    void setRegistryKey(std::string_view key) override;
    int runModal(std::uint16_t templateId, platform::DialogHandler& handler) override;
    platform::IconHandle loadIcon(std::uint16_t groupId) override;
    int systemMetric(int index) override;

    std::vector<DialogRecord> dialogs() const;
    std::string registryKey() const;

  private:
    friend class SimDialog;
    template <typename Fill> void record(std::string_view op, Fill&& fill) {
        std::lock_guard lock(m_core.mutex);
        m_core.record(op, std::forward<Fill>(fill));
    }
    bool controlEnabled(int controlId) const;
    bool closeCommandEnabled() const;

    MachineCore& m_core;
    platform::Resources& m_resources;
    SimControls& m_controls;
    std::function<void(SimDialog&)> m_user;
    bool m_hasSystemMenu = true;
    bool m_iconic = false;
    platform::Rect m_clientRect{0, 0, 326, 258};
    int m_iconWidth = 32;
    int m_iconHeight = 32;
    std::vector<DialogRecord> m_dialogs; // guarded by m_core.mutex
    std::string m_registryKey;
};

} // namespace sim
