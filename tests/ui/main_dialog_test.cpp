// The main dialog's handlers while it is shown: the update through its buttons, the routes that
// would end it during an update, the system menu, painting while minimised.

#include "ui/kestrun_dlg.h"
#include "ui/resource_ids.h"
#include "ui_rig.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using uitest::StickPc;
using uitest::UiRig;
using uitest::WorkerGate;

constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr unsigned kScMove = 0xF010;

std::size_t Count(const UiRig& rig, std::string_view op) {
    return rig.events(op).size();
}

TEST(MainDialog, AWholeUpdateThroughTheButtons) {
    UiRig rig(StickPc("1, 0, 3, 5"));
    sim::ControlsSnapshot before;
    sim::ControlsSnapshot after;
    rig.machine.windows().setUser([&](sim::SimDialog& dialog) {
        before = rig.machine.controls();
        dialog.click(IDC_UPDATE);
        rig.machine.joinWorkers();
        after = rig.machine.controls();
        dialog.click(IDC_UPDATE); // disabled for good
        dialog.click(kIdCancel);  // now reads "OK"
    });
    rig.runApp();

    EXPECT_TRUE(before.control(IDC_UPDATE).enabled);
    EXPECT_TRUE(before.control(kIdCancel).enabled);
    EXPECT_TRUE(before.closeCommandEnabled);

    EXPECT_FALSE(after.control(IDC_UPDATE).enabled);
    EXPECT_TRUE(after.control(kIdCancel).enabled);
    EXPECT_EQ(after.control(kIdCancel).text, "OK");
    EXPECT_TRUE(after.closeCommandEnabled);
    EXPECT_EQ(after.control(IDC_STATUS).text, "Update Done");
    EXPECT_EQ(rig.machine.receivedImages().size(), 3u);

    // While it ran, Close was grey and both buttons were off.
    const auto closes = rig.events("close_command");
    ASSERT_EQ(closes.size(), 2u);
    EXPECT_FALSE(closes[0].fields["enabled"].get<bool>());
    EXPECT_TRUE(closes[1].fields["enabled"].get<bool>());

    EXPECT_EQ(Count(rig, "thread_create"), 1u);
    EXPECT_EQ(Count(rig, "click_ignored"), 1u);
    const auto dialogs = rig.dialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].result, kIdCancel);
    EXPECT_EQ(rig.machine.openDeviceCount(), 0u);
    EXPECT_EQ(rig.machine.openThreadHandles(), 0u);
}

// No route ends the dialog while the worker runs; once it has ended, each route works again.
TEST(MainDialog, RefusesToEndWhileTheUpdateRuns) {
    struct Route {
        const char* name;
        void (*act)(sim::SimDialog&);
        int result;
    };
    const Route routes[] = {
        {"Enter", [](sim::SimDialog& d) { d.pressEnter(); }, kIdOk},
        {"Escape", [](sim::SimDialog& d) { d.pressEscape(); }, kIdCancel},
        {"Cancel queued before it was disabled",
         [](sim::SimDialog& d) { d.deliverClick(kIdCancel); }, kIdCancel},
        {"title bar", [](sim::SimDialog& d) { d.closeFromTitleBar(); }, kIdCancel},
        {"Close command", [](sim::SimDialog& d) { d.systemCommand(SC_CLOSE); }, kIdCancel},
    };
    for (const Route& route : routes) {
        UiRig rig(StickPc());
        WorkerGate gate(rig.machine);
        bool endedDuringUpdate = true;
        bool sessionMayEndDuring = true;
        bool sessionMayEndAfter = false;
        rig.machine.windows().setUser([&](sim::SimDialog& dialog) {
            dialog.click(IDC_UPDATE);
            gate.awaitWorker();
            route.act(dialog);
            sessionMayEndDuring = dialog.queryEndSession();
            endedDuringUpdate = dialog.ended();
            gate.open();
            rig.machine.joinWorkers();
            sessionMayEndAfter = dialog.queryEndSession();
            route.act(dialog);
        });
        rig.runApp();

        EXPECT_FALSE(endedDuringUpdate) << route.name;
        EXPECT_FALSE(sessionMayEndDuring) << route.name;
        EXPECT_TRUE(sessionMayEndAfter) << route.name;
        EXPECT_EQ(rig.dialogs().at(0).result, route.result) << route.name;
        // The update was not cut short by the attempt.
        EXPECT_EQ(rig.machine.controls().control(IDC_STATUS).text, "Update Done") << route.name;
        EXPECT_EQ(rig.machine.openDeviceCount(), 0u) << route.name;
    }
}

TEST(MainDialog, TwoQuickPressesStartOneWorker) {
    UiRig rig(StickPc());
    WorkerGate gate(rig.machine);
    rig.machine.windows().setUser([&](sim::SimDialog& dialog) {
        dialog.deliverClick(IDC_UPDATE);
        dialog.deliverClick(IDC_UPDATE);
        gate.open();
        rig.machine.joinWorkers();
        dialog.click(kIdCancel);
    });
    rig.runApp();
    EXPECT_EQ(Count(rig, "thread_create"), 1u);
    EXPECT_EQ(rig.machine.receivedImages().size(), 1u);
}

TEST(MainDialog, SystemCommandsOpenTheAboutBoxOnlyForItsEntry) {
    struct Case {
        unsigned command;
        bool about;
    };
    for (const Case c : {Case{0x10, true}, Case{0x15, true}, Case{0x1F, true}, Case{0x20, false},
                         Case{kScMove, false}}) {
        UiRig rig(StickPc());
        rig.machine.windows().setUser([&](sim::SimDialog& dialog) {
            if (dialog.templateId() == IDD_ABOUTBOX) {
                dialog.pressEnter();
                return;
            }
            dialog.systemCommand(c.command);
            dialog.click(kIdCancel);
        });
        rig.runApp();
        const auto dialogs = rig.dialogs();
        ASSERT_EQ(dialogs.size(), c.about ? 2u : 1u) << c.command;
        if (c.about) {
            EXPECT_EQ(dialogs[0].templateId, IDD_ABOUTBOX);
            EXPECT_EQ(dialogs[0].result, kIdOk);
            EXPECT_EQ(Count(rig, "default_sys_command"), 0u) << c.command;
        } else {
            EXPECT_EQ(rig.events("default_sys_command").at(0).fields["command"].get<unsigned>(),
                      c.command);
        }
    }
}

// The about box during an update: the update goes on behind it and reaches its end.
TEST(MainDialog, AboutBoxDuringAnUpdateDoesNotStopIt) {
    UiRig rig(StickPc());
    WorkerGate gate(rig.machine);
    std::string statusBehindAbout;
    rig.machine.windows().setUser([&](sim::SimDialog& dialog) {
        if (dialog.templateId() == IDD_ABOUTBOX) {
            gate.open();
            rig.machine.joinWorkers();
            statusBehindAbout = rig.machine.controls().control(IDC_STATUS).text;
            dialog.closeFromTitleBar();
            return;
        }
        dialog.click(IDC_UPDATE);
        gate.awaitWorker();
        dialog.systemCommand(IDM_ABOUTBOX);
        dialog.systemCommand(IDM_ABOUTBOX); // again: the same fixed box
        dialog.click(kIdCancel);
    });
    rig.runApp();
    EXPECT_EQ(statusBehindAbout, "Update Done");
    const auto dialogs = rig.dialogs();
    ASSERT_EQ(dialogs.size(), 3u);
    EXPECT_EQ(dialogs[0].templateId, IDD_ABOUTBOX);
    EXPECT_EQ(dialogs[1].templateId, IDD_ABOUTBOX);
    EXPECT_EQ(dialogs[2].result, kIdCancel);
}

TEST(MainDialog, PaintsTheIconCentredWhileMinimised) {
    struct Case {
        platform::Rect client;
        int iconWidth, iconHeight;
        int x, y;
    };
    for (const Case c :
         {Case{{0, 0, 36, 36}, 32, 32, 2, 2}, Case{{0, 0, 37, 36}, 32, 32, 3, 2},
          Case{{0, 0, 20, 16}, 32, 32, -5, -7}, Case{{0, 0, 48, 40}, 16, 16, 16, 12}}) {
        UiRig rig(StickPc());
        rig.machine.windows().setIconic(true);
        rig.machine.windows().setClientRect(c.client);
        rig.machine.windows().setIconMetrics(c.iconWidth, c.iconHeight);
        platform::IconHandle dragIcon = platform::IconHandle::None;
        rig.machine.windows().setUser([&](sim::SimDialog& dialog) {
            dialog.paint();
            dragIcon = dialog.queryDragIcon();
            dialog.click(kIdCancel);
        });
        rig.runApp();
        const auto draws = rig.events("draw_icon");
        ASSERT_EQ(draws.size(), 1u);
        EXPECT_EQ(draws[0].fields["x"].get<int>(), c.x);
        EXPECT_EQ(draws[0].fields["y"].get<int>(), c.y);
        EXPECT_EQ(draws[0].fields["icon"].get<std::uintptr_t>(), IDR_MAINFRAME);
        EXPECT_EQ(dragIcon, static_cast<platform::IconHandle>(IDR_MAINFRAME));
        // Begin, erase the background, draw, end.
        EXPECT_LT(rig.firstIndex("paint_begin"), rig.firstIndex("icon_erase_background"));
        EXPECT_LT(rig.firstIndex("icon_erase_background"), rig.firstIndex("draw_icon"));
        EXPECT_LT(rig.firstIndex("draw_icon"), rig.firstIndex("paint_end"));
    }
    UiRig shown(StickPc());
    shown.machine.windows().setUser([](sim::SimDialog& dialog) {
        dialog.paint();
        dialog.click(kIdCancel);
    });
    shown.runApp();
    EXPECT_EQ(Count(shown, "default_paint"), 1u);
    EXPECT_EQ(Count(shown, "draw_icon"), 0u);
}

} // namespace
