#include "qt_controls.h"

#include "template_dialog.h"
#include "ui/controls.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>

namespace qtui {

void QtControls::attach(TemplateDialog* dialog) {
    m_dialog = dialog;
}

void QtControls::onGuiThread(const std::function<void()>& change) {
    if (QThread::currentThread() == thread()) {
        change();
    } else {
        QMetaObject::invokeMethod(this, change, Qt::BlockingQueuedConnection);
    }
}

void QtControls::setText(int controlId, std::string_view text) {
    const QString value = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    onGuiThread([&] {
        if (m_dialog) {
            m_dialog->setControlText(controlId, value);
        }
        if (controlId == IDC_STATUS) {
            emit statusChanged(value);
        }
    });
    if (m_next != nullptr) {
        m_next->setText(controlId, text);
    }
}

void QtControls::enable(int controlId, bool enabled) {
    onGuiThread([&] {
        if (m_dialog) {
            if (QWidget* control = m_dialog->control(controlId)) {
                control->setEnabled(enabled);
            }
        }
    });
    if (m_next != nullptr) {
        m_next->enable(controlId, enabled);
    }
}

void QtControls::setProgressRange(int controlId, std::uint16_t low, std::uint16_t high) {
    onGuiThread([&] {
        if (m_dialog) {
            if (auto* bar = qobject_cast<QProgressBar*>(m_dialog->control(controlId))) {
                bar->setRange(low, high);
            }
        }
    });
    if (m_next != nullptr) {
        m_next->setProgressRange(controlId, low, high);
    }
}

void QtControls::setProgressPos(int controlId, int position) {
    onGuiThread([&] {
        if (m_dialog) {
            if (auto* bar = qobject_cast<QProgressBar*>(m_dialog->control(controlId))) {
                // The bar holds its position inside its range, as the system's does.
                bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
            }
        }
        emit progressChanged(position);
    });
    if (m_next != nullptr) {
        m_next->setProgressPos(controlId, position);
    }
}

void QtControls::enableCloseCommand(bool enabled) {
    onGuiThread([&] {
        m_closeEnabled = enabled;
        if (m_dialog) {
            m_dialog->setCloseEnabled(enabled);
        }
    });
    if (m_next != nullptr) {
        m_next->enableCloseCommand(enabled);
    }
}

} // namespace qtui
