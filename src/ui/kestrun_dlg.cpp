#include "ui/kestrun_dlg.h"

#include "device/stick_discovery.h"
#include "update/installed_version.h"
#include "update/payload_catalogue.h"
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

unsigned CKestrunDlg::StartEngine(EngineFacts& facts) {
    facts.volumeLabel = ReadImageLabel(m_system.resources);
    m_pSpti = std::make_unique<SptiContext>(m_system.storage);
    LocateStick(*this);
    if (m_chDrive == 0) {
        DropSptiContext();
        return IDS_NO_STICK;
    }
    const int major = ReadInstalledVersion(m_system.versionInfo, m_chDrive, facts.stickVersion);
    if (major <= 0) {
        DropSptiContext();
        return IDS_CANNOT_START;
    }
    m_bTwoStage = major == 1;
    m_pszStage = std::make_unique<char[]>(kStageBufferSize);
    return 0;
}

void CKestrunDlg::ReleaseEngine() {
    if (m_pSpti) {
        CloseSptiContext(*m_pSpti);
        DropSptiContext();
    }
    m_pszStage.reset();
}

void CKestrunDlg::DropSptiContext() {
    DestroySptiContext(*m_pSpti);
    m_pSpti.reset();
}
