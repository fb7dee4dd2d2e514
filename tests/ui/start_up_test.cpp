// The tool's start-up as a user meets it: the application's order, the main dialog's eight
// steps, and the failure path with its message.

#include "ui/kestrun_app.h"
#include "ui/kestrun_dlg.h"
#include "ui/resource_ids.h"
#include "ui_rig.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using uitest::StickPc;
using uitest::UiRig;

constexpr int kIdCancel = 2;

// The user ends the main dialog at once; every other dialog with OK.
void CloseEverything(sim::SimDialog& dialog) {
    if (dialog.templateId() == IDD_MAIN) {
        dialog.click(kIdCancel);
    } else {
        dialog.pressEnter();
    }
}

TEST(Application, RunsTheMainDialogAfterTheFrameworkAndItsKeyThenEnds) {
    UiRig rig(StickPc());
    rig.machine.windows().setUser(CloseEverything);
    EXPECT_FALSE(rig.runApp());

    const long init = rig.firstIndex("app_init");
    const long key = rig.firstIndex("registry_key");
    const long dialog = rig.firstIndex("dialog_create");
    ASSERT_GE(init, 0);
    EXPECT_LT(init, key);
    EXPECT_LT(key, dialog);
    EXPECT_EQ(rig.machine.windows().registryKey(), std::string(kRegistryKey));

    const auto dialogs = rig.dialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].templateId, IDD_MAIN);
    EXPECT_TRUE(dialogs[0].shown);
    EXPECT_EQ(dialogs[0].result, kIdCancel);
    // The window's destruction freed the SptiContext: nothing stays open.
    EXPECT_EQ(rig.machine.openDeviceCount(), 0u);
}

TEST(MainDialogStartUp, ShowsTheThreeFactsInTheStepsOrder) {
    UiRig rig(StickPc("4, 0, 1, 2"));
    rig.machine.windows().setUser(CloseEverything);
    rig.runApp();

    const auto controls = rig.machine.controls();
    EXPECT_EQ(controls.control(IDC_TOOL_VERSION).text, "4, 0, 1, 3");
    // The label exactly as the image holds it, blanks and all.
    EXPECT_EQ(controls.control(IDC_VOLUME_LABEL).text, "KESTRN" + std::string(26, ' '));
    EXPECT_EQ(controls.control(IDC_STICK_VERSION).text, "4, 0, 1, 2");

    // About entry, icons, tool version, label, stick search, installed version.
    const long separator = rig.firstIndex("menu_append");
    const long bigIcon = rig.firstIndex("set_icon", "size", "big");
    const long smallIcon = rig.firstIndex("set_icon", "size", "small");
    const long toolVersion = rig.firstIndex("text", "id", "1004");
    const long label = rig.firstIndex("text", "id", "1005");
    const long search = rig.firstIndex("drive_list");
    const long stickVersion = rig.firstIndex("text", "id", "1006");
    const long shown = rig.firstIndex("dialog_show");
    ASSERT_GE(separator, 0);
    EXPECT_LT(separator, bigIcon);
    EXPECT_LT(bigIcon, smallIcon);
    EXPECT_LT(smallIcon, toolVersion);
    EXPECT_LT(toolVersion, label);
    EXPECT_LT(label, search);
    EXPECT_LT(search, stickVersion);
    EXPECT_LT(stickVersion, shown);

    const auto menu = rig.dialogs().at(0).menu;
    ASSERT_EQ(menu.size(), 2u);
    EXPECT_TRUE(menu[0].separator);
    EXPECT_EQ(menu[1].command, IDM_ABOUTBOX);
    EXPECT_EQ(menu[1].text, "Version Info Kestrun(&A)...");
}

TEST(MainDialogStartUp, ToolVersionIsTheFixedFileVersionOfEachHalf) {
    struct Case {
        const char* fileVersion;
        const char* shown;
    };
    for (const Case c :
         {Case{"4.0.1.3", "4, 0, 1, 3"}, Case{"65535.0.2.40000", "65535, 0, 2, 40000"},
          Case{"0.0.0.0", "0, 0, 0, 0"}}) {
        sim::Scenario scenario = StickPc();
        scenario.toolFileVersion = c.fileVersion;
        UiRig rig(scenario);
        rig.machine.windows().setUser(CloseEverything);
        rig.runApp();
        EXPECT_EQ(rig.machine.controls().control(IDC_TOOL_VERSION).text, c.shown) << c.fileVersion;
    }
}

// The texts of the stick's version and the label are cut to their 256-byte buffers.
TEST(MainDialogStartUp, LongFactsStayInsideTheirBuffers) {
    const std::string longVersion = "4, 0, 1, " + std::string(400, '7');
    sim::Scenario scenario = StickPc(longVersion);
    sim::ResourceSpec& main = scenario.resources.at(0);
    ASSERT_EQ(main.id, 133);
    main.label = std::string(32, 'L');
    UiRig rig(scenario);
    rig.machine.windows().setUser(CloseEverything);
    rig.runApp();

    const auto controls = rig.machine.controls();
    EXPECT_EQ(controls.control(IDC_STICK_VERSION).text, longVersion.substr(0, 255));
    EXPECT_EQ(controls.control(IDC_VOLUME_LABEL).text, std::string(32, 'L'));
}

TEST(MainDialogStartUp, MissingMainImageLeavesTheLabelEmptyAndGoesOn) {
    sim::Scenario scenario = StickPc();
    scenario.resources.erase(scenario.resources.begin());
    UiRig rig(scenario);
    rig.machine.windows().setUser(CloseEverything);
    rig.runApp();
    EXPECT_EQ(rig.firstIndex("text", "id", "1005"), -1);
    EXPECT_TRUE(rig.dialogs().at(0).shown);
}

TEST(MainDialogStartUp, AboutEntryFollowsTheUsersLanguage) {
    struct Case {
        std::uint16_t language;
        const char* entry;
    };
    for (const Case c : {Case{0x0409, "Version Info Kestrun(&A)..."},
                         Case{0x0411, "バージョン情報 Kestrun(&A)..."},
                         Case{0x0809, "Version Info Kestrun(&A)..."},    // English (UK)
                         Case{0x0407, "Version Info Kestrun(&A)..."}}) { // German: none of its own
        UiRig rig(StickPc(), c.language);
        rig.machine.windows().setUser(CloseEverything);
        rig.runApp();
        const auto menu = rig.dialogs().at(0).menu;
        ASSERT_EQ(menu.size(), 2u) << c.language;
        EXPECT_EQ(menu[1].text, c.entry) << c.language;
    }
}

TEST(MainDialogStartUp, WithoutASystemMenuNothingIsAppended) {
    UiRig rig(StickPc());
    rig.machine.windows().setHasSystemMenu(false);
    rig.machine.windows().setUser(CloseEverything);
    rig.runApp();
    EXPECT_TRUE(rig.dialogs().at(0).menu.empty());
    EXPECT_EQ(rig.firstIndex("menu_append"), -1);
}

// Each start-up failure: the SptiContext goes first, the English message shows, the main window
// never does, and the tool ends after OK.
TEST(MainDialogStartUp, FailuresShowTheEnglishMessageAndEnd) {
    struct Case {
        const char* name;
        sim::Scenario scenario;
        const char* message;
    };
    sim::Scenario noStick = StickPc();
    noStick.drives.pop_back();
    sim::Scenario unreadable = StickPc();
    unreadable.drives.back().files.at(0).block = sim::VersionBlockState::Unreadable;
    sim::Scenario noComma = StickPc("4.0.1.2");
    for (const Case& c :
         {Case{"no stick", noStick, "No Veskan Sticks were found."},
          Case{"unreadable version", unreadable, "The application cannot be started."},
          Case{"version without a comma", noComma, "The application cannot be started."}}) {
        for (const std::uint16_t language : {platform::kLangEnglishUs, platform::kLangJapanese}) {
            UiRig rig(c.scenario, language);
            std::size_t openWhileMessageShown = 99;
            rig.machine.windows().setUser([&](sim::SimDialog& dialog) {
                ASSERT_EQ(dialog.templateId(), IDD_MESSAGE) << "only the message is ever shown";
                openWhileMessageShown = rig.machine.openDeviceCount();
                dialog.pressEnter();
            });
            EXPECT_FALSE(rig.runApp());

            const auto dialogs = rig.dialogs();
            ASSERT_EQ(dialogs.size(), 2u) << c.name;
            EXPECT_EQ(dialogs[0].templateId, IDD_MESSAGE);
            EXPECT_EQ(dialogs[0].texts.at(IDC_MESSAGE), c.message) << c.name << language;
            EXPECT_EQ(dialogs[1].templateId, IDD_MAIN);
            EXPECT_FALSE(dialogs[1].shown) << c.name;
            EXPECT_EQ(dialogs[1].result, kIdCancel) << c.name;
            EXPECT_EQ(openWhileMessageShown, 0u) << c.name;
            EXPECT_EQ(rig.machine.openDeviceCount(), 0u) << c.name;
        }
    }
}

// Closing the message from its title bar ends it as well; the tool still ends.
TEST(MainDialogStartUp, MessageClosedByItsTitleBarEndsTheToolToo) {
    sim::Scenario noStick = StickPc();
    noStick.drives.pop_back();
    UiRig rig(noStick);
    rig.machine.windows().setUser([](sim::SimDialog& dialog) { dialog.closeFromTitleBar(); });
    EXPECT_FALSE(rig.runApp());
    const auto dialogs = rig.dialogs();
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[0].result, kIdCancel);
    EXPECT_FALSE(dialogs[1].shown);
}

} // namespace
