#include "ui/kestrun_dlg.h"

#include "device/stick_discovery.h"
#include "ui/about_dlg.h"
#include "ui/message_dialog.h"
#include "ui/string_table.h"
#include "update/installed_version.h"
#include "update/payload_catalogue.h"
#include "update/update_sequence.h"

#include <cstdio>
#include <vector>

namespace {

constexpr std::size_t kModulePathSize = 260;
constexpr std::size_t kFileVersionMsOffset = 8; // in VS_FIXEDFILEINFO
constexpr std::size_t kFileVersionLsOffset = 12;

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes[offset]) | bytes[offset + 1] << 8 |
           bytes[offset + 2] << 16 | static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

// One painting, from its beginning to its end (CPaintDC).
class PaintScope {
  public:
    explicit PaintScope(platform::DialogWindow& window)
        : m_window(window), m_dc(window.beginPaint()) {}
    ~PaintScope() { m_window.endPaint(m_dc); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    platform::PaintDc dc() const { return m_dc; }

  private:
    platform::DialogWindow& m_window;
    platform::PaintDc m_dc;
};

} // namespace

IconPlace CentredIcon(const platform::Rect& client, int iconWidth, int iconHeight) {
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    return {(width - iconWidth + 1) / 2, (height - iconHeight + 1) / 2};
}

CKestrunDlg::CKestrunDlg(platform::Platform& system, platform::WindowSystem* windows)
    : CDialog(IDD_MAIN, windows),
      m_hIcon(windows != nullptr ? windows->loadIcon(IDR_MAINFRAME) : platform::IconHandle::None),
      m_progress(system.controls, IDC_PROGRESS), m_status(system.controls, IDC_STATUS),
      m_btnCancel(system.controls, IDCANCEL), m_btnUpdate(system.controls, IDC_UPDATE),
      m_system(system) {}

bool CKestrunDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    AddAboutEntry();
    window().setIcon(platform::IconSize::Big, m_hIcon);
    window().setIcon(platform::IconSize::Small, m_hIcon);
    ShowToolVersion();

    char label[kLabelBufferSize] = {};
    const std::string image = ReadImageLabel(m_system.resources);
    if (!image.empty()) {
        std::snprintf(label, sizeof label, "%s", image.c_str());
        m_system.controls.setText(IDC_VOLUME_LABEL, label);
    }

    char version[kStickVersionSize] = {};
    if (const unsigned message = StartStick(version); message != 0) {
        return FailStartUp(message);
    }
    m_system.controls.setText(IDC_STICK_VERSION, version);
    return true;
}

void CKestrunDlg::AddAboutEntry() {
    platform::SystemMenu* menu = window().systemMenu();
    if (menu == nullptr) {
        return;
    }
    const std::string about = LoadString(IDS_ABOUTBOX, m_system.resources);
    if (!about.empty()) {
        menu->appendSeparator();
        menu->appendString(IDM_ABOUTBOX, about);
    }
}

// The file version from the fixed part of the program's own version block. When the block
// cannot be read the control stays empty.
void CKestrunDlg::ShowToolVersion() {
    char path[kModulePathSize] = {};
    m_system.drives.moduleFileName(path);
    std::vector<std::uint8_t> block(m_system.versionInfo.size(path));
    const bool read = m_system.versionInfo.read(path, block);
    const auto fixed = read ? m_system.versionInfo.queryValue(block, "\\") : std::nullopt;
    if (!fixed || fixed->size() < kFileVersionLsOffset + 4) {
        return;
    }
    const std::uint32_t ms = ReadU32(*fixed, kFileVersionMsOffset);
    const std::uint32_t ls = ReadU32(*fixed, kFileVersionLsOffset);
    char text[kLabelBufferSize];
    std::snprintf(text, sizeof text, "%d, %d, %d, %d", static_cast<int>(ms >> 16),
                  static_cast<int>(ms & 0xFFFF), static_cast<int>(ls >> 16),
                  static_cast<int>(ls & 0xFFFF));
    m_system.controls.setText(IDC_TOOL_VERSION, text);
}

unsigned CKestrunDlg::StartStick(std::span<char> version) {
    m_pSpti = std::make_unique<SptiContext>(m_system.storage);
    LocateStick(*this);
    if (m_chDrive == 0) {
        DropSptiContext();
        return IDS_NO_STICK;
    }
    const int major = ReadInstalledVersion(m_system.versionInfo, m_chDrive, version);
    if (major <= 0) {
        DropSptiContext();
        return IDS_CANNOT_START;
    }
    m_bTwoStage = major == 1;
    m_pszStage = std::make_unique<char[]>(kStageBufferSize);
    return 0;
}

// The SptiContext is already gone; the window is never shown.
bool CKestrunDlg::FailStartUp(unsigned message) {
    ShowMessage(message, m_system.resources, m_windows);
    EndDialog(IDCANCEL);
    return false;
}

unsigned CKestrunDlg::StartEngine(EngineFacts& facts) {
    facts.volumeLabel = ReadImageLabel(m_system.resources);
    return StartStick(facts.stickVersion);
}

void CKestrunDlg::OnCommand(int id) {
    if (id == IDC_UPDATE) {
        OnBnClickedUpdate();
    } else if (id == IDCANCEL) {
        OnBnClickedCancel();
    } else {
        CDialog::OnCommand(id);
    }
}

void CKestrunDlg::OnBnClickedUpdate() {
    if (UpdateRunning()) {
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

// Ending the dialog frees what the worker uses, so no route ends it while an update runs: not
// Cancel, not Enter, not the title bar (whose Close also arrives here), not the session's end.
void CKestrunDlg::OnBnClickedCancel() {
    if (!UpdateRunning()) {
        OnCancel();
    }
}

void CKestrunDlg::OnOK() {
    if (!UpdateRunning()) {
        CDialog::OnOK();
    }
}

bool CKestrunDlg::OnQueryEndSession() {
    return !UpdateRunning();
}

void CKestrunDlg::OnSysCommand(unsigned nID, std::intptr_t lParam) {
    if ((nID & kSysCommandMask) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout(m_windows);
        dlgAbout.DoModal();
    } else {
        CDialog::OnSysCommand(nID, lParam);
    }
}

void CKestrunDlg::OnPaint() {
    if (!window().isIconic()) {
        CDialog::OnPaint();
        return;
    }
    PaintScope paint(window());
    window().eraseIconBackground(paint.dc());
    const int cxIcon = m_windows->systemMetric(platform::kSmCxIcon);
    const int cyIcon = m_windows->systemMetric(platform::kSmCyIcon);
    const IconPlace place = CentredIcon(window().clientRect(), cxIcon, cyIcon);
    window().drawIcon(paint.dc(), place.x, place.y, m_hIcon);
}

void CKestrunDlg::OnDestroy() {
    ReleaseEngine();
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
