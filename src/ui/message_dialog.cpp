#include "ui/message_dialog.h"

#include "ui/resource_ids.h"
#include "ui/string_table.h"

CErrorDialog::CErrorDialog(platform::WindowSystem* windows) : CDialog(IDD_MESSAGE, windows) {}

void CErrorDialog::DoDataExchange() {
    window().setItemText(IDC_MESSAGE, m_strMessage);
}

void ShowMessage(unsigned id, platform::Resources& resources, platform::WindowSystem* windows) {
    CErrorDialog dlg(windows);
    LoadEnglishString(id, resources, dlg.m_strMessage);
    dlg.DoModal();
}
