#include "template_dialog.h"

#include "qt_windows.h"
#include "ui/controls.h"
#include "ui/resource_ids.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>

namespace qtui {

using platform::resfile::DialogItem;
using platform::resfile::DialogTemplate;
namespace rf = platform::resfile;

namespace {

QString FromUtf16(const std::u16string& text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

bool IsProgressClass(const rf::NameOrOrdinal& windowClass) {
    return FromUtf16(windowClass.text).compare(u"msctls_progress32", Qt::CaseInsensitive) == 0;
}

// Where the template's font is missing, a wider one takes its place: a fixed caption that no
// longer fits its control is drawn a little smaller rather than cut.
void FitToWidth(QLabel& label, int width) {
    constexpr int kSmallestPointSize = 6;
    QFont font = label.font();
    while (font.pointSize() > kSmallestPointSize &&
           QFontMetrics(font).horizontalAdvance(label.text()) > width) {
        font.setPointSize(font.pointSize() - 1);
    }
    label.setFont(font);
}

QFont TemplateFont(const DialogTemplate& dialogTemplate) {
    QFont font = QApplication::font();
    if (dialogTemplate.style & rf::kDsSetFont) {
        font.setFamily(FromUtf16(dialogTemplate.typeface));
        font.setPointSize(dialogTemplate.pointSize);
        if (dialogTemplate.weight != 0) {
            font.setWeight(static_cast<QFont::Weight>(dialogTemplate.weight));
        }
        font.setItalic(dialogTemplate.italic);
    }
    return font;
}

} // namespace

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabet = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(alphabet / 26 + 1) / 2, metrics.height()};
}

QRect ToPixels(const DialogBaseUnits& units, int x, int y, int cx, int cy) {
    const auto horizontal = [&](int value) { return value * units.x / 4; };
    const auto vertical = [&](int value) { return value * units.y / 8; };
    return {horizontal(x), vertical(y), horizontal(cx), vertical(cy)};
}

QString StaticText(const QString& text, bool noPrefix) {
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            continue;
        }
        if (!noPrefix && c == u'&') {
            if (i + 1 < text.size() && text[i + 1] == u'&') {
                shown += u'&';
                ++i;
            }
            continue;
        }
        shown += c;
    }
    return shown;
}

TemplateDialog::TemplateDialog(const DialogTemplate& dialogTemplate, QtWindows& windows,
                               platform::DialogHandler& handler, QWidget* parent)
    : QDialog(parent), m_windows(windows), m_handler(handler),
      m_hasSystemMenu((dialogTemplate.style & rf::kWsSysMenu) != 0) {
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (m_hasSystemMenu) {
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    }
    setWindowFlags(flags);
    setWindowTitle(FromUtf16(dialogTemplate.caption));
    const QFont font = TemplateFont(dialogTemplate);
    setFont(font);
    const DialogBaseUnits units = BaseUnitsOf(font);
    setFixedSize(ToPixels(units, 0, 0, dialogTemplate.cx, dialogTemplate.cy).size());
    for (const DialogItem& item : dialogTemplate.items) {
        addControl(item, units);
    }
}

void TemplateDialog::addControl(const DialogItem& item, const DialogBaseUnits& units) {
    QWidget* widget = nullptr;
    const QString title = FromUtf16(item.title.text);
    if (item.windowClass.ordinal == rf::kButtonClass) {
        auto* button = new QPushButton(title, this);
        button->setAutoDefault(false);
        if ((item.style & rf::kBsTypeMask) == rf::kBsDefPushButton) {
            button->setDefault(true);
            m_defaultButton = item.id;
        }
        const int id = item.id;
        connect(button, &QPushButton::clicked, this, [this, id] { m_handler.onCommand(id); });
        widget = button;
    } else if (item.windowClass.ordinal == rf::kStaticClass) {
        auto* label = new QLabel(this);
        label->setTextFormat(Qt::PlainText);
        const std::uint32_t type = item.style & rf::kSsTypeMask;
        if (type == rf::kSsIcon) {
            const QIcon icon = m_windows.icon(m_windows.loadIcon(item.title.ordinal.value_or(0)));
            const QRect box = ToPixels(units, item.x, item.y, item.cx, item.cy);
            label->setPixmap(icon.pixmap(std::min(box.width(), box.height())));
        } else {
            const bool noPrefix = (item.style & rf::kSsNoPrefix) != 0;
            m_noPrefix[label] = noPrefix;
            label->setText(StaticText(title, noPrefix));
            // A control tall enough for two lines wraps its text, as the status does.
            const QRect box = ToPixels(units, item.x, item.y, item.cx, item.cy);
            label->setWordWrap(box.height() >= 2 * QFontMetrics(font()).height());
            if (!label->wordWrap()) {
                FitToWidth(*label, box.width());
            }
            label->setAlignment(Qt::AlignTop | (type == rf::kSsCenter  ? Qt::AlignHCenter
                                                : type == rf::kSsRight ? Qt::AlignRight
                                                                       : Qt::AlignLeft));
        }
        widget = label;
    } else if (IsProgressClass(item.windowClass)) {
        auto* bar = new QProgressBar(this);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
        widget = bar;
    } else {
        widget = new QWidget(this);
    }
    widget->setGeometry(ToPixels(units, item.x, item.y, item.cx, item.cy));
    widget->setEnabled((item.style & rf::kWsDisabled) == 0);
    widget->setObjectName(QStringLiteral("control-%1").arg(item.id));
    if (item.id != -1 && !m_controls.contains(item.id)) {
        m_controls[item.id] = widget;
    }
}

QWidget* TemplateDialog::control(int controlId) const {
    const auto it = m_controls.find(controlId);
    return it != m_controls.end() ? it->second : nullptr;
}

void TemplateDialog::setControlText(int controlId, const QString& text) {
    QWidget* widget = control(controlId);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(StaticText(text, m_noPrefix[label]));
    } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
        button->setText(text);
    }
}

void TemplateDialog::chooseMenuEntry(unsigned command) {
    m_handler.onSysCommand(command, 0);
}

platform::SystemMenu* TemplateDialog::systemMenu() {
    return m_hasSystemMenu ? &m_systemMenu : nullptr;
}

void TemplateDialog::Menu::appendSeparator() {
    m_dialog.m_menu.push_back({true, 0, {}});
}

void TemplateDialog::Menu::appendString(unsigned command, std::string_view text) {
    m_dialog.m_menu.push_back(
        {false, command, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))});
}

void TemplateDialog::setIcon(platform::IconSize, platform::IconHandle icon) {
    // Qt keeps one icon per window and picks its sizes itself.
    setWindowIcon(m_windows.icon(icon));
}

void TemplateDialog::setItemText(int controlId, std::string_view text) {
    setControlText(controlId, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

platform::Rect TemplateDialog::clientRect() {
    return {0, 0, width(), height()};
}

platform::PaintDc TemplateDialog::beginPaint() {
    m_painter = new QPainter(this);
    return platform::PaintDc{1};
}

void TemplateDialog::eraseIconBackground(platform::PaintDc) {
    if (m_painter != nullptr) {
        m_painter->fillRect(rect(), palette().window());
    }
}

void TemplateDialog::drawIcon(platform::PaintDc, int x, int y, platform::IconHandle icon) {
    if (m_painter != nullptr) {
        const int side = m_windows.systemMetric(platform::kSmCxIcon);
        m_windows.icon(icon).paint(m_painter, x, y, side, side);
    }
}

void TemplateDialog::endPaint(platform::PaintDc) {
    delete m_painter;
    m_painter = nullptr;
}

void TemplateDialog::defaultPaint() {
    if (m_paintEvent != nullptr) {
        QDialog::paintEvent(m_paintEvent);
    }
}

// Close asks the dialog to end as Cancel does; Qt itself moves and sizes its windows.
void TemplateDialog::defaultSysCommand(unsigned command, std::intptr_t) {
    if ((command & kSysCommandMask) == SC_CLOSE) {
        m_handler.onCommand(IDCANCEL);
    }
}

void TemplateDialog::endDialog(int result) {
    if (m_ended) {
        return;
    }
    m_ended = true;
    m_result = result;
    done(result);
}

void TemplateDialog::reject() {
    m_handler.onCommand(IDCANCEL);
}

void TemplateDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_handler.onCommand(m_defaultButton != 0 ? m_defaultButton : IDOK);
        break;
    case Qt::Key_Escape:
        m_handler.onCommand(IDCANCEL);
        break;
    default:
        QDialog::keyPressEvent(event);
    }
}

// The title bar's close button: nothing while the Close command is grey.
void TemplateDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (m_closeEnabled && m_hasSystemMenu) {
        m_handler.onSysCommand(SC_CLOSE, 0);
    }
}

void TemplateDialog::contextMenuEvent(QContextMenuEvent* event) {
    if (m_menu.empty()) {
        return;
    }
    QMenu menu(this);
    for (const MenuEntry& entry : m_menu) {
        if (entry.separator) {
            menu.addSeparator();
        } else {
            const unsigned command = entry.command;
            menu.addAction(entry.text, this, [this, command] { chooseMenuEntry(command); });
        }
    }
    menu.exec(event->globalPos());
}

void TemplateDialog::paintEvent(QPaintEvent* event) {
    m_paintEvent = event;
    m_handler.onPaint();
    m_paintEvent = nullptr;
}

} // namespace qtui
