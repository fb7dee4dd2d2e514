#pragma once
// The dialog's controls as the engine uses them: thin handles that forward each change to the
// platform, which applies it on the dialog's thread before returning.

#include "platform/dialog_controls.h"

#include <cstdint>
#include <string_view>

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDC_STATUS = 1000;
inline constexpr int IDC_UPDATE = 1001;
inline constexpr int IDC_PROGRESS = 1002;
inline constexpr int IDC_TOOL_VERSION = 1004;
inline constexpr int IDC_VOLUME_LABEL = 1005;
inline constexpr int IDC_STICK_VERSION = 1006;

class Control {
  public:
    Control(platform::DialogControls& controls, int id) : m_controls(controls), m_id(id) {}
    void SetWindowText(std::string_view text) { m_controls.setText(m_id, text); }
    void EnableWindow(bool enabled) { m_controls.enable(m_id, enabled); }

  protected:
    platform::DialogControls& m_controls;
    int m_id;
};

class StaticText : public Control {
    using Control::Control;
};

class PushButton : public Control {
    using Control::Control;
};

class ProgressBar : public Control {
  public:
    using Control::Control;
    void SetRange(std::uint16_t low, std::uint16_t high) {
        m_controls.setProgressRange(m_id, low, high);
    }
    void SetPos(int position) { m_controls.setProgressPos(m_id, position); }
};
