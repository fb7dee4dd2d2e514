// kestrun: the tool's window on this PC. Its command line is ignored, as the tool has none.

#include "platform/host/host_machine.h"
#include "qt_controls.h"
#include "qt_windows.h"
#include "ui/kestrun_app.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    qtui::QtControls controls;
    const auto host = platform::host::OpenHostMachine(controls, qtui::UserLanguage());
    qtui::QtWindows windows(host->programResources(), controls);
    CKestrunApp app(host->platform(), windows);
    app.InitInstance();
    return 0;
}
