#pragma once
// A Qt dialog built from a dialog template of the program's resources: its caption, size,
// font and controls, with dialog units converted by the metrics of the template's font as the
// system converts them. It delivers the user's actions to the dialog's logic, and carries out
// what the logic asks of its window.

#include "platform/dialog_window.h"
#include "platform/resfile/dialog_template.h"

#include <QDialog>
#include <QIcon>

#include <map>
#include <vector>

class QPainter;

namespace qtui {

class QtWindows;

// Pixels of one horizontal and one vertical dialog unit times 4 and 8: the font's average
// character width and its height.
struct DialogBaseUnits {
    int x;
    int y;
};
DialogBaseUnits BaseUnitsOf(const QFont& font);
QRect ToPixels(const DialogBaseUnits& units, int x, int y, int cx, int cy);

// The text of a static control as shown: "&&" is an ampersand, a single "&" marks the next
// character as a mnemonic and is not shown (unless the control has SS_NOPREFIX); "\r\n" breaks
// the line.
QString StaticText(const QString& text, bool noPrefix);

class TemplateDialog final : public QDialog, public platform::DialogWindow {
    Q_OBJECT
  public:
    TemplateDialog(const platform::resfile::DialogTemplate& dialogTemplate, QtWindows& windows,
                   platform::DialogHandler& handler, QWidget* parent);

    // The control with this id; null when there is none.
    QWidget* control(int controlId) const;
    void setControlText(int controlId, const QString& text);
    void setCloseEnabled(bool enabled) { m_closeEnabled = enabled; }
    bool closeEnabled() const { return m_closeEnabled; }
    bool ended() const { return m_ended; }
    int endResult() const { return m_result; }
    // The entries the logic appended to the window's system menu, offered in its context menu.
    struct MenuEntry {
        bool separator;
        unsigned command;
        QString text;
    };
    const std::vector<MenuEntry>& menuEntries() const { return m_menu; }
    // What choosing a context-menu entry does.
    void chooseMenuEntry(unsigned command);
    // The desktop session asks whether it may end.
    bool sessionMayEnd() { return m_handler.onQueryEndSession(); }

    platform::SystemMenu* systemMenu() override;
    void setIcon(platform::IconSize size, platform::IconHandle icon) override;
    void setItemText(int controlId, std::string_view text) override;
    bool isIconic() override { return isMinimized(); }
    platform::Rect clientRect() override;
    platform::PaintDc beginPaint() override;
    void eraseIconBackground(platform::PaintDc dc) override;
    void drawIcon(platform::PaintDc dc, int x, int y, platform::IconHandle icon) override;
    void endPaint(platform::PaintDc dc) override;
    void defaultPaint() override;
    void defaultSysCommand(unsigned command, std::intptr_t parameter) override;
    void endDialog(int result) override;

  public slots:
    void reject() override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    class Menu final : public platform::SystemMenu {
      public:
        explicit Menu(TemplateDialog& dialog) : m_dialog(dialog) {}
        void appendSeparator() override;
        void appendString(unsigned command, std::string_view text) override;

      private:
        TemplateDialog& m_dialog;
    };

    void addControl(const platform::resfile::DialogItem& item, const DialogBaseUnits& units);

    QtWindows& m_windows;
    platform::DialogHandler& m_handler;
    bool m_hasSystemMenu;
    Menu m_systemMenu{*this};
    std::vector<MenuEntry> m_menu;
    std::map<int, QWidget*> m_controls;
    std::map<QWidget*, bool> m_noPrefix;
    int m_defaultButton = 0;
    bool m_closeEnabled = true;
    bool m_ended = false;
    int m_result = 0;
    QPaintEvent* m_paintEvent = nullptr;
    QPainter* m_painter = nullptr;
};

} // namespace qtui
