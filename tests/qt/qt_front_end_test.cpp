// The Qt front end on the simulated machine, without a display (QT_QPA_PLATFORM=offscreen): the
// windows built from their templates, the controls driven by the worker, and the user's
// routes through them.

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

#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <functional>

namespace {

using User = std::function<void(qtui::TemplateDialog&, std::uint16_t)>;
constexpr int kWaitMs = 30000;

sim::Scenario StickPc(const std::string& installedVersion) {
    sim::Scenario scenario;
    sim::DriveSpec disk;
    disk.letter = 'C';
    scenario.drives = {disk, sim::MakeStickDrive('E', installedVersion)};
    return scenario;
}

// The application with its Qt windows on a simulated PC.
struct QtRig {
    explicit QtRig(sim::Scenario scenario) : machine(std::move(scenario)) {
        program.setUserLanguage(qtui::UserLanguage());
        machine.setProgramResources(program);
        controls.passOnTo(&machine.platform().controls);
    }

    void run(User user) {
        windows.setUser(std::move(user));
        platform::Platform& simulated = machine.platform();
        platform::Platform system{simulated.storage,
                                  simulated.drives,
                                  simulated.resources,
                                  simulated.versionInfo,
                                  simulated.clock,
                                  simulated.threads,
                                  controls};
        CKestrunApp app(system, windows);
        app.InitInstance();
        machine.joinWorkers();
    }

    std::size_t count(std::string_view op) const {
        std::size_t n = 0;
        for (const auto& event : machine.transcript()) {
            n += event.op == op ? 1 : 0;
        }
        return n;
    }

    platform::resfile::ResFileResources program{platform::EmbeddedResources()};
    sim::Machine machine;
    qtui::QtControls controls;
    qtui::QtWindows windows{program, controls};
};

QString Text(qtui::TemplateDialog& dialog, int id) {
    if (auto* label = qobject_cast<QLabel*>(dialog.control(id))) {
        return label->text();
    }
    if (auto* button = qobject_cast<QPushButton*>(dialog.control(id))) {
        return button->text();
    }
    return {};
}

QPushButton* Button(qtui::TemplateDialog& dialog, int id) {
    return qobject_cast<QPushButton*>(dialog.control(id));
}

bool Finished(qtui::TemplateDialog& dialog) {
    return Button(dialog, IDCANCEL)->isEnabled() && Text(dialog, IDCANCEL) == "OK";
}

bool Writing(qtui::TemplateDialog& dialog) {
    return Text(dialog, IDC_STATUS).endsWith("%)");
}

class QtFrontEnd : public QObject {
    Q_OBJECT
  private slots:
    void cleanup() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void showsTheStartUpFactsInTheTemplatesLayout() {
        QtRig rig(StickPc("4, 0, 1, 2"));
        QString title, tool, label, stick;
        QRect update, cancel, bar;
        bool updateEnabled = false;
        rig.run([&](qtui::TemplateDialog& dialog, std::uint16_t id) {
            QCOMPARE(id, IDD_MAIN);
            title = dialog.windowTitle();
            tool = Text(dialog, IDC_TOOL_VERSION);
            label = Text(dialog, IDC_VOLUME_LABEL);
            stick = Text(dialog, IDC_STICK_VERSION);
            update = dialog.control(IDC_UPDATE)->geometry();
            cancel = dialog.control(IDCANCEL)->geometry();
            bar = dialog.control(IDC_PROGRESS)->geometry();
            updateEnabled = dialog.control(IDC_UPDATE)->isEnabled();
            Button(dialog, IDCANCEL)->click();
        });
        QCOMPARE(title, QStringLiteral("Tindral_lm704"));
        QCOMPARE(tool, QStringLiteral("4, 0, 1, 3"));
        QCOMPARE(label.trimmed(), QStringLiteral("KESTRN"));
        QCOMPARE(stick, QStringLiteral("4, 0, 1, 2"));
        QVERIFY(updateEnabled);
        // Update and Cancel side by side (x 6 and 86, both 70 wide), the bar above them.
        QCOMPARE(update.width(), cancel.width());
        QCOMPARE(update.top(), cancel.top());
        QVERIFY(update.right() < cancel.left());
        QVERIFY(bar.bottom() < update.top());
        QCOMPARE(rig.machine.openDeviceCount(), 0u);
    }

    void failureShowsTheEnglishMessageUnderAJapaneseLocale() {
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
        sim::Scenario noStick = StickPc("4, 0, 1, 2");
        noStick.drives.pop_back();
        QtRig rig(noStick);
        std::vector<std::uint16_t> shown;
        QString message;
        rig.run([&](qtui::TemplateDialog& dialog, std::uint16_t id) {
            shown.push_back(id);
            message = Text(dialog, IDC_MESSAGE);
            Button(dialog, IDOK)->click();
        });
        QCOMPARE(shown, std::vector<std::uint16_t>{IDD_MESSAGE});
        QCOMPARE(message, QStringLiteral("No Veskan Sticks were found."));
    }

    void aboutEntryIsOfferedInTheUsersLanguage() {
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
        QtRig rig(StickPc("4, 0, 1, 2"));
        std::vector<qtui::TemplateDialog::MenuEntry> entries;
        rig.run([&](qtui::TemplateDialog& dialog, std::uint16_t) {
            entries = dialog.menuEntries();
            Button(dialog, IDCANCEL)->click();
        });
        QCOMPARE(entries.size(), std::size_t{2});
        QVERIFY(entries[0].separator);
        QCOMPARE(entries[1].command, IDM_ABOUTBOX);
        QCOMPARE(entries[1].text, QStringLiteral("バージョン情報 Kestrun(&A)..."));
    }

    // Buttons and Close before, during and after a whole two-stage update.
    void buttonsAndCloseFollowAWholeUpdate() {
        QtRig rig(StickPc("1, 0, 3, 5"));
        bool before = false, during = false, closedDuring = true, after = false;
        QString finalStatus;
        rig.run([&](qtui::TemplateDialog& dialog, std::uint16_t) {
            before = Button(dialog, IDC_UPDATE)->isEnabled() &&
                     Button(dialog, IDCANCEL)->isEnabled() && dialog.closeEnabled();
            Button(dialog, IDC_UPDATE)->click();
            QVERIFY(QTest::qWaitFor([&] { return Writing(dialog); }, kWaitMs));
            during = !Button(dialog, IDC_UPDATE)->isEnabled() &&
                     !Button(dialog, IDCANCEL)->isEnabled() && !dialog.closeEnabled();
            closedDuring = dialog.close() && !dialog.isVisible();
            QVERIFY(QTest::qWaitFor([&] { return Finished(dialog); }, kWaitMs));
            QVERIFY(QTest::qWaitFor([&] { return dialog.sessionMayEnd(); }, kWaitMs));
            after = !Button(dialog, IDC_UPDATE)->isEnabled() && dialog.closeEnabled();
            finalStatus = Text(dialog, IDC_STATUS);
            Button(dialog, IDCANCEL)->click();
        });
        QVERIFY(before);
        QVERIFY(during);
        QVERIFY(!closedDuring);
        QVERIFY(after);
        QCOMPARE(finalStatus, QStringLiteral("Update Done"));
        QCOMPARE(rig.machine.receivedImages().size(), std::size_t{3});
    }

    // Escape, Enter, the title bar and the session's end are all refused while the worker runs.
    void refusesToCloseDuringAnUpdate() {
        QtRig rig(StickPc("4, 0, 1, 2"));
        bool visibleThroughout = false, sessionRefused = false, endedAfter = false;
        rig.run([&](qtui::TemplateDialog& dialog, std::uint16_t) {
            Button(dialog, IDC_UPDATE)->click();
            QVERIFY(QTest::qWaitFor([&] { return Writing(dialog); }, kWaitMs));
            QTest::keyClick(&dialog, Qt::Key_Escape);
            QTest::keyClick(&dialog, Qt::Key_Return);
            dialog.close();
            dialog.reject();
            sessionRefused = !dialog.sessionMayEnd();
            visibleThroughout = dialog.isVisible() && !dialog.ended();
            QVERIFY(QTest::qWaitFor([&] { return dialog.sessionMayEnd(); }, kWaitMs));
            QTest::keyClick(&dialog, Qt::Key_Escape);
            endedAfter = dialog.ended();
        });
        QVERIFY(visibleThroughout);
        QVERIFY(sessionRefused);
        QVERIFY(endedAfter);
        QCOMPARE(rig.machine.controls().control(IDC_STATUS).text, std::string("Update Done"));
    }

    void aboutBoxDuringAnUpdateDoesNotStopIt() {
        QtRig rig(StickPc("1, 0, 3, 5"));
        bool movedBehindAbout = false;
        QString aboutTitle;
        bool aboutText = false;
        rig.run([&](qtui::TemplateDialog& dialog, std::uint16_t id) {
            if (id == IDD_ABOUTBOX) {
                aboutTitle = dialog.windowTitle();
                aboutText = dialog.findChild<QLabel*>("control--1") != nullptr;
                auto* main = rig.windows.mainDialog();
                const QString status = Text(*main, IDC_STATUS);
                movedBehindAbout =
                    QTest::qWaitFor([&] { return Text(*main, IDC_STATUS) != status; }, kWaitMs);
                Button(dialog, IDOK)->click();
                return;
            }
            Button(dialog, IDC_UPDATE)->click();
            QVERIFY(QTest::qWaitFor([&] { return Writing(dialog); }, kWaitMs));
            dialog.chooseMenuEntry(IDM_ABOUTBOX);
            QVERIFY(QTest::qWaitFor([&] { return Finished(dialog); }, kWaitMs));
            QVERIFY(QTest::qWaitFor([&] { return dialog.sessionMayEnd(); }, kWaitMs));
            Button(dialog, IDCANCEL)->click();
        });
        QVERIFY(movedBehindAbout);
        QCOMPARE(aboutTitle, QStringLiteral("バージョン情報 Tindral_lm704"));
        QVERIFY(aboutText);
        QCOMPARE(rig.machine.controls().control(IDC_STATUS).text, std::string("Update Done"));
        QCOMPARE(rig.machine.receivedImages().size(), std::size_t{3});
    }

    // The worker waits for the GUI thread at its first control change, so the second press is
    // handled while it runs.
    void twoQuickPressesStartOneWorker() {
        QtRig rig(StickPc("4, 0, 1, 2"));
        rig.run([&](qtui::TemplateDialog& dialog, std::uint16_t) {
            Button(dialog, IDC_UPDATE)->click();
            Button(dialog, IDC_UPDATE)->click();
            QVERIFY(QTest::qWaitFor([&] { return Finished(dialog); }, kWaitMs));
            QVERIFY(QTest::qWaitFor([&] { return dialog.sessionMayEnd(); }, kWaitMs));
            Button(dialog, IDCANCEL)->click();
        });
        QCOMPARE(rig.count("thread_create"), std::size_t{1});
        QCOMPARE(rig.machine.receivedImages().size(), std::size_t{1});
    }

    void dialogUnitsFollowTheFont() {
        const qtui::DialogBaseUnits units{6, 12};
        QCOMPARE(qtui::ToPixels(units, 86, 97, 70, 25), QRect(129, 145, 105, 37));
        QCOMPARE(qtui::StaticText("A&&B&c\r\nD", false), QStringLiteral("A&Bc\nD"));
        QCOMPARE(qtui::StaticText("A&&B", true), QStringLiteral("A&&B"));
    }
};

} // namespace

QTEST_MAIN(QtFrontEnd)
#include "qt_front_end_test.moc"
