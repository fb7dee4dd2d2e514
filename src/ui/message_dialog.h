#pragma once
// The message dialog (template 134): one text of the English message table and an OK button.
// Only the two start-up failures are reported this way.

#include "platform/resources.h"
#include "platform/window_system.h"
#include "ui/dialog.h"

#include <string>

class CErrorDialog : public CDialog {
  public:
    explicit CErrorDialog(platform::WindowSystem* windows);

    std::string m_strMessage;

  protected:
    // Writes m_strMessage into the text control, replacing its placeholder.
    void DoDataExchange() override;
};

// Shows the English text of string `id` and returns when the user has closed the dialog. A
// missing string gives an empty message.
void ShowMessage(unsigned id, platform::Resources& resources, platform::WindowSystem* windows);
