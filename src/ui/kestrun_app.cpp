#include "ui/kestrun_app.h"

#include "ui/kestrun_dlg.h"

bool CKestrunApp::InitInstance() {
    m_windows.initApplication();
    m_windows.setRegistryKey(kRegistryKey);
    {
        CKestrunDlg dlg(m_system, &m_windows);
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
    }
    return false;
}
