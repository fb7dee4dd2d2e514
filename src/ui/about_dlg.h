#pragma once
// The about box (template 100): the icon, the tool's name and version and a copyright line, all
// fixed in the template, and an OK button.

#include "ui/dialog.h"
#include "ui/resource_ids.h"

class CAboutDlg : public CDialog {
  public:
    explicit CAboutDlg(platform::WindowSystem* windows) : CDialog(IDD_ABOUTBOX, windows) {}
};
