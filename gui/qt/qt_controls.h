#pragma once
// The main dialog's controls in Qt. A change asked for from another thread (the update worker)
// is carried to the GUI thread and applied there before the call returns
// (Qt::BlockingQueuedConnection); one asked for on the GUI thread is applied at once. Changes
// may also be passed on to a second set of controls (the simulated machine's, which records
// them).

#include "platform/dialog_controls.h"

#include <QObject>
#include <QPointer>

#include <functional>

namespace qtui {

class TemplateDialog;

class QtControls final : public QObject, public platform::DialogControls {
    Q_OBJECT
  public:
    explicit QtControls(QObject* parent = nullptr) : QObject(parent) {}

    // The main dialog whose controls these are; set while it exists.
    void attach(TemplateDialog* dialog);
    void passOnTo(platform::DialogControls* next) { m_next = next; }

    void setText(int controlId, std::string_view text) override;
    void enable(int controlId, bool enabled) override;
    void setProgressRange(int controlId, std::uint16_t low, std::uint16_t high) override;
    void setProgressPos(int controlId, int position) override;
    void enableCloseCommand(bool enabled) override;

    // On the GUI thread only.
    bool closeCommandEnabled() const { return m_closeEnabled; }

  signals:
    // After a status text was applied, on the GUI thread.
    void statusChanged(const QString& text);
    // After a progress position was applied, on the GUI thread.
    void progressChanged(int position);

  private:
    void onGuiThread(const std::function<void()>& change);

    QPointer<TemplateDialog> m_dialog;
    platform::DialogControls* m_next = nullptr;
    bool m_closeEnabled = true;
};

} // namespace qtui
