#include "ui/kestrun_dlg.h"

#include "update/update_sequence.h"

CKestrunDlg::CKestrunDlg(platform::Platform& system)
    : m_progress(system.controls, IDC_PROGRESS), m_status(system.controls, IDC_STATUS),
      m_btnCancel(system.controls, IDCANCEL), m_btnUpdate(system.controls, IDC_UPDATE),
      m_system(system) {}

void CKestrunDlg::OnBnClickedUpdate() {
    if (m_hWorker.load() != platform::ThreadHandle::None) {
        return;
    }
    // The worker is held back until its handle is stored: it clears the handle as its last act.
    const platform::ThreadHandle worker =
        m_system.threads.createSuspended([this] { UpdateThreadProc(*this); });
    if (worker == platform::ThreadHandle::None) {
        return;
    }
    m_hWorker.store(worker);
    m_system.threads.resume(worker);
}
