#pragma once
// One dialog window as the tool's dialogs use it, and the events its window system delivers to
// the dialog's logic. Every call is made on the dialog's own thread.

#include <cstdint>
#include <string_view>

namespace platform {

enum class IconHandle : std::uintptr_t { None = 0 };
enum class IconSize { Big, Small }; // ICON_BIG, ICON_SMALL
// The device context of one painting, from its beginning to its end.
enum class PaintDc : std::uintptr_t { None = 0 };

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// A window's system menu, as GetSystemMenu gives it without reverting it.
class SystemMenu {
  public:
    virtual ~SystemMenu() = default;
    virtual void appendSeparator() = 0;                                     // MF_SEPARATOR
    virtual void appendString(unsigned command, std::string_view text) = 0; // MF_STRING
};

class DialogWindow {
  public:
    virtual ~DialogWindow() = default;
    // Null when the window has no system menu.
    virtual SystemMenu* systemMenu() = 0;
    virtual void setIcon(IconSize size, IconHandle icon) = 0;
    // Replaces the whole text of one of the dialog's controls.
    virtual void setItemText(int controlId, std::string_view text) = 0;
    virtual bool isIconic() = 0;
    virtual Rect clientRect() = 0;
    // Painting while minimised: begin, erase the icon's background (WM_ICONERASEBKGND sent to the
    // window itself), draw, end.
    virtual PaintDc beginPaint() = 0;
    virtual void eraseIconBackground(PaintDc dc) = 0;
    virtual void drawIcon(PaintDc dc, int x, int y, IconHandle icon) = 0;
    virtual void endPaint(PaintDc dc) = 0;
    // The window system's own painting of the dialog.
    virtual void defaultPaint() = 0;
    // The window system's own handling of a system command: moving, closing and the like. Close
    // (SC_CLOSE) asks the dialog to end as Cancel does: it delivers IDCANCEL.
    virtual void defaultSysCommand(unsigned command, std::intptr_t parameter) = 0;
    // Ends the modal loop with `result`; the window is destroyed as the loop ends.
    virtual void endDialog(int result) = 0;
};

// What the window system tells a dialog, all on the dialog's thread.
class DialogHandler {
  public:
    virtual ~DialogHandler() = default;
    // Before the window is first shown. False when the dialog has ended itself.
    virtual bool onInitDialog(DialogWindow& window) = 0;
    // A button's click, or IDOK (Enter) and IDCANCEL (Escape) from the keyboard.
    virtual void onCommand(int id) = 0;
    // A command of the system menu or the title bar; flags travel in the low four bits.
    virtual void onSysCommand(unsigned command, std::intptr_t parameter) = 0;
    virtual void onPaint() = 0;
    // The cursor to show while the minimised window is dragged.
    virtual IconHandle onQueryDragIcon() = 0;
    // The desktop session is about to end; false asks it not to.
    virtual bool onQueryEndSession() = 0;
    // The window is being destroyed.
    virtual void onDestroy() = 0;
};

} // namespace platform
