#pragma once
// The window system in Qt: each modal dialog a TemplateDialog run with QDialog::exec, icons from
// the program's icon groups, the desktop session's end asked of the main dialog.

#include "platform/resources.h"
#include "platform/window_system.h"
#include "qt_controls.h"

#include <QIcon>
#include <QObject>

#include <functional>
#include <vector>

namespace qtui {

class TemplateDialog;

class QtWindows final : public QObject, public platform::WindowSystem {
    Q_OBJECT
  public:
    QtWindows(platform::Resources& program, QtControls& controls, QObject* parent = nullptr);

    // Called with each dialog once its modal loop runs (tests and the unattended demo act
    // through it).
    void setUser(std::function<void(TemplateDialog&, std::uint16_t)> user) {
        m_user = std::move(user);
    }
    // The main dialog while it is shown; null otherwise.
    TemplateDialog* mainDialog() const { return m_main; }

    void initApplication() override;
    void setRegistryKey(std::string_view key) override;
    int runModal(std::uint16_t templateId, platform::DialogHandler& handler) override;
    platform::IconHandle loadIcon(std::uint16_t groupId) override;
    int systemMetric(int index) override;

    QIcon icon(platform::IconHandle handle) const;

  private:
    platform::Resources& m_program;
    QtControls& m_controls;
    std::function<void(TemplateDialog&, std::uint16_t)> m_user;
    std::vector<std::pair<std::uint16_t, QIcon>> m_icons;
    TemplateDialog* m_main = nullptr;
};

// The user's language as a LANGID, from Qt's locale: 0x0411 Japanese, 0x0409 or 0x0809
// English, 0 for any other.
std::uint16_t UserLanguage();

} // namespace qtui
