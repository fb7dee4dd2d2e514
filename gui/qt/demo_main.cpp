// kestrun-demo SCENARIO.json [--speed N] [--unattended] [--screenshot FILE]
//
// The tool's window on a simulated PC (docs/simulator.md), so that a whole update can be seen
// without a stick. Virtual time runs N times faster than real time (10 unless told; 0: as fast
// as possible). --unattended presses Update, and OK at the end, itself; --screenshot saves the
// main window once the write of an image has passed half way.

#include "embedded_resources.h"
#include "platform/resfile/res_file_resources.h"
#include "platform/sim/machine.h"
#include "platform/sim/scenario.h"
#include "qt_controls.h"
#include "qt_windows.h"
#include "template_dialog.h"
#include "ui/controls.h"
#include "ui/kestrun_app.h"
#include "ui/resource_ids.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace {

constexpr std::uint32_t kDefaultSpeed = 10;
constexpr int kHalfWay = 50;

void Click(qtui::TemplateDialog& dialog, int controlId) {
    if (auto* button = qobject_cast<QPushButton*>(dialog.control(controlId))) {
        button->click();
    }
}

// Presses Update once the main window shows, OK once it reads "OK", and OK in any other dialog.
void ActUnattended(qtui::TemplateDialog& dialog, std::uint16_t templateId) {
    if (templateId != IDD_MAIN) {
        Click(dialog, IDOK);
        return;
    }
    Click(dialog, IDC_UPDATE);
    auto* poll = new QTimer(&dialog);
    QObject::connect(poll, &QTimer::timeout, &dialog, [&dialog] {
        auto* ok = qobject_cast<QPushButton*>(dialog.control(IDCANCEL));
        if (ok != nullptr && ok->isEnabled() && ok->text() == QStringLiteral("OK")) {
            ok->click(); // refused, and tried again, until the worker's very last act
        }
    });
    poll->start(100);
}

// The percentage at the end of a write's status text, "Uploading ISO Image... (42%)"; -1 for
// any other text.
int WritePercent(const QString& text) {
    if (!text.endsWith(QStringLiteral("%)"))) {
        return -1;
    }
    const qsizetype open = text.lastIndexOf(u'(');
    bool number = false;
    const int percent = text.mid(open + 1, text.size() - open - 3).toInt(&number);
    return open >= 0 && number ? percent : -1;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Kestrun's window on a simulated PC.");
    parser.addHelpOption();
    parser.addPositionalArgument("scenario", "The simulated PC (a scenario file).");
    const QCommandLineOption speedOption("speed", "Virtual time N times faster; 0: at once.", "N",
                                         QString::number(kDefaultSpeed));
    const QCommandLineOption unattendedOption("unattended", "Press Update and OK without a user.");
    const QCommandLineOption screenshotOption(
        "screenshot", "Save the main window to FILE half way through a write.", "FILE");
    parser.addOptions({speedOption, unattendedOption, screenshotOption});
    parser.process(application);
    bool speedValid = false;
    const uint speed = parser.value(speedOption).toUInt(&speedValid);
    if (parser.positionalArguments().size() != 1 || !speedValid) {
        std::fprintf(stderr, "usage: kestrun-demo SCENARIO.json [--speed N] [--unattended] "
                             "[--screenshot FILE]\n");
        return 2;
    }

    sim::Scenario scenario;
    std::string error;
    const std::string path = parser.positionalArguments().front().toStdString();
    if (!sim::LoadScenarioFile(path, scenario, error)) {
        std::fprintf(stderr, "kestrun-demo: %s: %s\n", path.c_str(), error.c_str());
        return 2;
    }
    scenario.speed = speed;

    platform::resfile::ResFileResources program(platform::EmbeddedResources());
    program.setUserLanguage(qtui::UserLanguage());
    sim::Machine machine(scenario, scenario.programResources ? &program : nullptr);
    machine.setProgramResources(program);
    qtui::QtControls controls;
    controls.passOnTo(&machine.platform().controls);
    platform::Platform& simulated = machine.platform();
    platform::Platform system{simulated.storage,
                              simulated.drives,
                              simulated.resources,
                              simulated.versionInfo,
                              simulated.clock,
                              simulated.threads,
                              controls};
    qtui::QtWindows windows(program, controls);
    if (parser.isSet(unattendedOption)) {
        windows.setUser(ActUnattended);
    }
    // Half way through a write, once the bar has caught up with the text.
    bool halfWay = false;
    bool saved = false;
    int exitCode = 0;
    if (parser.isSet(screenshotOption)) {
        const QString file = parser.value(screenshotOption);
        QObject::connect(&controls, &qtui::QtControls::statusChanged, &controls,
                         [&halfWay](const QString& text) {
                             halfWay = halfWay || WritePercent(text) >= kHalfWay;
                         });
        QObject::connect(&controls, &qtui::QtControls::progressChanged, &controls,
                         [&halfWay, &saved, &windows, &exitCode, file](int) {
                             if (!halfWay || saved) {
                                 return;
                             }
                             saved = true;
                             qtui::TemplateDialog* main = windows.mainDialog();
                             if (main == nullptr || !main->grab().save(file)) {
                                 std::fprintf(stderr, "kestrun-demo: cannot save %s\n",
                                              qPrintable(file));
                                 exitCode = 1;
                             }
                         });
    }
    CKestrunApp app(system, windows);
    app.InitInstance();
    machine.joinWorkers();
    if (parser.isSet(screenshotOption) && !saved) {
        std::fprintf(stderr, "kestrun-demo: no write reached half way; nothing saved\n");
        return 1;
    }
    return exitCode;
}
