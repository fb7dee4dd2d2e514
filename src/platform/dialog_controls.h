#pragma once
// The main dialog's controls as the engine changes them. Every operation may be called from the
// worker thread and completes on the dialog's own thread before it returns.

#include <cstdint>
#include <string_view>

namespace platform {

class DialogControls {
  public:
    virtual ~DialogControls() = default;
    // Replaces a control's whole text; "\r\n" starts a second line.
    virtual void setText(int controlId, std::string_view text) = 0;
    virtual void enable(int controlId, bool enabled) = 0;
    virtual void setProgressRange(int controlId, std::uint16_t low, std::uint16_t high) = 0;
    virtual void setProgressPos(int controlId, int position) = 0;
    // Greys or enables the window's Close command; while grey the window cannot be closed from
    // its title bar or system menu.
    virtual void enableCloseCommand(bool enabled) = 0;
};

} // namespace platform
