// Whether an update went through, judged from its status texts as the terminal shows them.

#include "ui/update_tally.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr const char* kIso = "Uploading ISO Image...";
constexpr const char* kKernel = "Uploading Kernel Image...";
constexpr const char* kDone = "Update Done";

TEST(UpdateTally, EveryImageSentMustEndDoneAndThePlanMustEnd) {
    struct Case {
        const char* name;
        int planned;
        std::vector<const char*> texts;
        bool succeeded;
    };
    const Case cases[] = {
        {"single stage done",
         1,
         {kIso, "Uploading ISO Image... (50%)", "Uploading ISO Image... OK",
          "Wait 1 seconds for dongle reboot. \r\nDon't Remove dongle", kDone},
         true},
        {"done after the no-answer countdown",
         1,
         {kIso, "Wait 1 for dongle reboot. \r\nDon't Remove dongle", kDone},
         true},
        {"two stages done", 3, {kIso, kDone, kKernel, kDone, kIso, kDone}, true},
        {"first of two stages refused, the rest done",
         3,
         {kIso, "Invalid Firmware", kKernel, kDone, kIso, kDone},
         false},
        {"timeout", 1, {kIso, "Timeout"}, false},
        {"plan cut short after the first stage",
         3,
         {kIso, kDone, kIso, "firmware upload failed.\r\n(SPTI)"},
         false},
        {"migration image missing: nothing sent", 3, {}, false},
        {"main image missing on a single stage", 1, {}, false},
        {"write failed", 1, {kIso, "firmware upload failed."}, false},
        {"a second done does not count twice",
         3,
         {kIso, kDone, kDone, kKernel, "Timeout", kIso, kDone},
         false},
    };
    for (const Case& c : cases) {
        UpdateTally tally(c.planned);
        for (const char* text : c.texts) {
            tally.onStatus(text);
        }
        EXPECT_EQ(tally.succeeded(), c.succeeded) << c.name;
    }
}

} // namespace
