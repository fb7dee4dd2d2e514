#include "qt_windows.h"

#include "platform/resfile/dialog_template.h"
#include "platform/resfile/icon_group.h"
#include "template_dialog.h"
#include "ui/resource_ids.h"

#include <QApplication>
#include <QBuffer>
#include <QImageReader>
#include <QLocale>
#include <QSessionManager>
#include <QTimer>

namespace qtui {

namespace {

constexpr int kIconSide = 32;

} // namespace

QtWindows::QtWindows(platform::Resources& program, QtControls& controls, QObject* parent)
    : QObject(parent), m_program(program), m_controls(controls) {}

void QtWindows::initApplication() {
    // The desktop session asks before it ends; an update must not be cut short.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
        if (m_main != nullptr && !m_main->sessionMayEnd()) {
            manager.cancel();
        }
    });
}

void QtWindows::setRegistryKey(std::string_view key) {
    // Where QSettings would keep the tool's settings; it stores none.
    QCoreApplication::setOrganizationName(
        QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())));
}

int QtWindows::runModal(std::uint16_t templateId, platform::DialogHandler& handler) {
    const auto data =
        m_program.load(m_program.findOrdinal(platform::kRtDialog, templateId, std::nullopt));
    const auto dialogTemplate = data ? platform::resfile::ParseDialogTemplate(*data) : std::nullopt;
    if (!dialogTemplate) {
        return -1;
    }
    TemplateDialog dialog(*dialogTemplate, *this, handler, QApplication::activeModalWidget());
    TemplateDialog* const outerMain = m_main;
    if (templateId == IDD_MAIN) {
        m_controls.attach(&dialog);
        dialog.setCloseEnabled(m_controls.closeCommandEnabled());
    }
    if (handler.onInitDialog(dialog) && !dialog.ended()) {
        if (templateId == IDD_MAIN) {
            m_main = &dialog;
        }
        if (m_user) {
            QTimer::singleShot(0, &dialog,
                               [this, &dialog, templateId] { m_user(dialog, templateId); });
        }
        dialog.exec();
    }
    handler.onDestroy();
    if (templateId == IDD_MAIN) {
        m_controls.attach(nullptr);
        m_main = outerMain;
    }
    return dialog.endResult();
}

platform::IconHandle QtWindows::loadIcon(std::uint16_t groupId) {
    for (std::size_t i = 0; i < m_icons.size(); ++i) {
        if (m_icons[i].first == groupId) {
            return static_cast<platform::IconHandle>(i + 1);
        }
    }
    const auto file = platform::resfile::BuildIconFile(m_program, groupId);
    if (!file) {
        return platform::IconHandle::None;
    }
    QByteArray bytes(reinterpret_cast<const char*>(file->data()),
                     static_cast<qsizetype>(file->size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    QIcon icon;
    for (int i = 0; i < reader.imageCount(); ++i) {
        reader.jumpToImage(i);
        const QImage image = reader.read();
        if (!image.isNull()) {
            icon.addPixmap(QPixmap::fromImage(image));
        }
    }
    m_icons.emplace_back(groupId, icon);
    return static_cast<platform::IconHandle>(m_icons.size());
}

int QtWindows::systemMetric(int index) {
    return index == platform::kSmCxIcon || index == platform::kSmCyIcon ? kIconSide : 0;
}

QIcon QtWindows::icon(platform::IconHandle handle) const {
    const auto index = static_cast<std::size_t>(handle);
    return index >= 1 && index <= m_icons.size() ? m_icons[index - 1].second : QIcon();
}

std::uint16_t UserLanguage() {
    const QLocale locale;
    switch (locale.language()) {
    case QLocale::Japanese:
        return 0x0411;
    case QLocale::English:
        return locale.territory() == QLocale::UnitedKingdom ? 0x0809 : 0x0409;
    default:
        return 0;
    }
}

} // namespace qtui
