#include "ui/dialog.h"

#include "ui/controls.h"

int CDialog::DoModal() {
    return m_windows != nullptr ? m_windows->runModal(m_templateId, *this) : -1;
}

void CDialog::EndDialog(int result) {
    if (m_window != nullptr) {
        m_window->endDialog(result);
    }
}

bool CDialog::onInitDialog(platform::DialogWindow& window) {
    m_window = &window;
    return OnInitDialog();
}

void CDialog::onDestroy() {
    OnDestroy();
    m_window = nullptr;
}

bool CDialog::OnInitDialog() {
    DoDataExchange();
    return true;
}

void CDialog::OnCommand(int id) {
    if (id == IDOK) {
        OnOK();
    } else if (id == IDCANCEL) {
        OnCancel();
    }
}

void CDialog::OnOK() {
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::OnSysCommand(unsigned nID, std::intptr_t lParam) {
    window().defaultSysCommand(nID, lParam);
}

void CDialog::OnPaint() {
    window().defaultPaint();
}
