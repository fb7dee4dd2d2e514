// Reading scenarios: the shipped files, the defaults, and the errors a tester gets for a slip.

#include "platform/sim/scenario.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace sim {
namespace {

Scenario Parse(const std::string& json) {
    Scenario scenario;
    std::string error;
    EXPECT_TRUE(ParseScenario(json, scenario, error)) << error;
    return scenario;
}

std::string ParseError(const std::string& json) {
    Scenario scenario;
    std::string error;
    EXPECT_FALSE(ParseScenario(json, scenario, error)) << json;
    return error;
}

TEST(ScenarioParse, EveryShippedScenarioLoads) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(KESTRUN_SCENARIO_DIR)) {
        if (entry.path().extension() != ".json") {
            continue;
        }
        SCOPED_TRACE(entry.path().string());
        Scenario scenario;
        std::string error;
        EXPECT_TRUE(LoadScenarioFile(entry.path().string(), scenario, error)) << error;
        ++files;
    }
    EXPECT_GT(files, 0);
}

TEST(ScenarioParse, ShippedTwoStageScenarioHoldsWhatItsNameSays) {
    Scenario scenario;
    std::string error;
    ASSERT_TRUE(LoadScenarioFile(std::string(KESTRUN_SCENARIO_DIR) + "/two-stage-success.json",
                                 scenario, error))
        << error;
    const auto stick = std::find_if(scenario.drives.begin(), scenario.drives.end(),
                                    [](const DriveSpec& d) { return d.stick; });
    ASSERT_NE(stick, scenario.drives.end());
    ASSERT_EQ(stick->files.size(), 1u);
    EXPECT_EQ(stick->files[0].productVersion, "1, 0, 3, 5");
    ASSERT_EQ(scenario.stick.images.size(), 3u);
    EXPECT_EQ(scenario.stick.images[2].installsVersion, "4, 0, 1, 3");
}

TEST(ScenarioParse, RejectsUnknownKeysNamingWhere) {
    struct Case {
        const char* json;
        const char* where;
    };
    const Case cases[] = {
        {R"({"modul_path": "C:\\x.exe"})", "modul_path: unknown key"},
        {R"({"drives": [{"letter": "C", "vendr": "x"}]})", "drives[0].vendr: unknown key"},
        {R"({"drives": [{"letter": "E", "stick": true, "adapter": {"max_transfer": 1}}]})",
         "drives[0].adapter.max_transfer: unknown key"},
        {R"({"drives": [{"letter": "E", "files": {"Q.exe": {"productversion": "1"}}}]})",
         "drives[0].files.Q.exe.productversion: unknown key"},
        {R"({"stick": {"images": [{"chek": ["done"]}]}})", "stick.images[0].chek: unknown key"},
        {R"({"stick": {"images": [{"check": [{"state": 1, "magik": false}]}]}})",
         "stick.images[0].check[0].magik: unknown key"},
        {R"({"stick": {"images": [{"check": [{"reply": "busy", "time": 3}]}]}})",
         "stick.images[0].check[0].time: unknown key"},
        {R"({"resources": [{"type": "IsoImage", "id": 133, "length": 1, "lable": "X"}]})",
         "resources[0].lable: unknown key"},
    };
    for (const Case& c : cases) {
        EXPECT_NE(ParseError(c.json).find(c.where), std::string::npos) << ParseError(c.json);
    }
}

TEST(ScenarioParse, RejectsWrongValuesNamingWhere) {
    struct Case {
        const char* json;
        const char* mentions;
    };
    const Case cases[] = {
        {"{", "not valid JSON"},
        {R"({"drive_list": "sometimes"})", "drive_list: must be one of"},
        {R"({"tool_file_version": "4.0.1"})", "tool_file_version"},
        {R"({"drives": [{"type": 5}]})", "drives[0]: needs \"letter\""},
        {R"({"drives": [{"letter": "EE"}]})", "drives[0].letter"},
        {R"({"drives": [{"letter": "E"}, {"letter": "e"}]})", "unique"},
        {R"({"drives": [{"letter": "E", "stick": true}, {"letter": "F", "stick": true}]})",
         "at most one"},
        {R"({"drives": [{"letter": "E", "open_error": -5}]})", "drives[0].open_error"},
        {R"({"stick": {"identify_length": 5000}})", "stick.identify_length"},
        {R"({"stick": {"images": [{"check": ["maybe"]}]}})", "stick.images[0].check[0]"},
        {R"({"stick": {"images": [{"check": [{"state": 1, "length": 13}]}]}})", "check[0].length"},
        {R"({"stick": {"images": [{"polls": {"first": ["busy"]}}]}})", "polls.first"},
        {R"({"stick": {"images": [{"reboot_ms": -2}]}})", "reboot_ms"},
        {R"({"resources": [{"type": "IsoImage", "id": 133}]})", "needs \"length\""},
        {R"({"resources": [{"type": "IsoImage", "id": 133, "length": 40000,
             "label": "0123456789012345678901234567890123"}]})",
         "label longer than 32"},
        {R"({"resources": "embedded"})", "resources: must be a list or \"program\""},
    };
    for (const Case& c : cases) {
        EXPECT_NE(ParseError(c.json).find(c.mentions), std::string::npos) << ParseError(c.json);
    }
}

TEST(ScenarioParse, AnEmptyScenarioKeepsTheDefaults) {
    const Scenario scenario = Parse("{}");
    EXPECT_EQ(scenario.modulePath, "C:\\Program Files\\Kestrun\\Kestrun.exe");
    EXPECT_EQ(scenario.driveList, DriveListMode::Ok);
    EXPECT_EQ(scenario.toolFileVersion, "4.0.1.3");
    EXPECT_TRUE(scenario.drives.empty());
    EXPECT_EQ(scenario.stick.identifyLength, 36u);
    ASSERT_EQ(scenario.resources.size(), 3u);
    EXPECT_EQ(scenario.resources[0].length, 4'839'424u);
    EXPECT_EQ(scenario.resources[1].length, 184'320u);
    EXPECT_EQ(scenario.resources[2].length, 1'877'870u);
    EXPECT_EQ(scenario.resources[0].label, "KESTRN");
    EXPECT_EQ(scenario.speed, 0u);
}

TEST(ScenarioParse, ReadsDrivesWithTheirQuirks) {
    const Scenario scenario = Parse(R"({
      "module_path": "\\\\server\\share\\Kestrun.exe",
      "drive_list": "overflow",
      "drives": [
        {"letter": "e:", "stick": true, "product": "qx-lm704", "vendor_offset": 4093,
         "descriptor_query": "fail", "open_error": 5, "visible_after_scans": 3,
         "adapter": {"fail_query": "device_full", "error": 50}, "adapter_descriptor_size": 12,
         "files": {"QivarGUIMain.exe": {"product_version": "1, 0, 2, 7", "translation": "040904b0",
                                        "version_block": "unreadable"}}},
        {"letter": "C", "type": 3, "bus": 11, "adapter": "none"}
      ]})");
    EXPECT_EQ(scenario.modulePath, "\\\\server\\share\\Kestrun.exe");
    EXPECT_EQ(scenario.driveList, DriveListMode::Overflow);
    ASSERT_EQ(scenario.drives.size(), 2u);
    const DriveSpec& stick = scenario.drives[0];
    EXPECT_EQ(stick.letter, 'E');
    EXPECT_TRUE(stick.stick);
    EXPECT_EQ(stick.type, 5u) << "a stick drive starts as the stick's CD-ROM";
    EXPECT_EQ(stick.bus, 7u);
    EXPECT_EQ(stick.vendor, "KORVALIN");
    EXPECT_EQ(stick.product, "qx-lm704");
    EXPECT_EQ(stick.vendorOffset, 4093u);
    EXPECT_TRUE(stick.descriptorQueryFails);
    EXPECT_EQ(stick.openError, 5u);
    EXPECT_EQ(stick.visibleAfterScans, 3u);
    ASSERT_TRUE(stick.queryFailure.has_value());
    EXPECT_EQ(stick.queryFailure->step, QueryStep::DeviceFull);
    EXPECT_EQ(stick.queryFailure->error, 50u);
    EXPECT_TRUE(stick.queryFailure->tolerated) << "ERROR_NOT_SUPPORTED is tolerated by default";
    EXPECT_EQ(stick.adapterDescriptorSize, 12u);
    ASSERT_EQ(stick.files.size(), 1u);
    EXPECT_EQ(stick.files[0].translation, "040904b0");
    EXPECT_EQ(stick.files[0].block, VersionBlockState::Unreadable);
    EXPECT_FALSE(scenario.drives[1].adapter.has_value());
}

TEST(ScenarioParse, ReadsTheStickScript) {
    const Scenario scenario = Parse(R"({"stick": {
      "identify": "fail", "latency_ms": 3,
      "images": [{
        "pre_check": {"state": 2, "magic": false, "length": 8},
        "polls": {"0": ["busy", "gone"], "7": "fail"},
        "default_poll": "done",
        "fail_chunk": 9, "vanish_at_chunk": 11,
        "check": [{"reply": "busy", "times": 63}, "done"],
        "reboot_ms": "never", "reboot_delay_ms": 250, "installs_version": "4, 0, 1, 3"
      }, {"reboot_ms": -1}, {"reboot_ms": 0}]}})");
    const StickScript& stick = scenario.stick;
    EXPECT_TRUE(stick.identifyFails);
    EXPECT_EQ(stick.latencyMs, 3u);
    ASSERT_EQ(stick.images.size(), 3u);
    const ImageScript& image = stick.images[0];
    EXPECT_EQ(image.preCheck.state, 2);
    EXPECT_FALSE(image.preCheck.magic);
    EXPECT_EQ(image.preCheck.length, 8);
    ASSERT_EQ(image.polls.at(0).size(), 2u);
    EXPECT_EQ(image.polls.at(0)[1].kind, Reply::Kind::Gone);
    EXPECT_EQ(image.polls.at(7).at(0).kind, Reply::Kind::Fail);
    EXPECT_EQ(image.defaultPoll.state, 1);
    EXPECT_EQ(image.failChunk, 9u);
    EXPECT_EQ(image.vanishAtChunk, 11u);
    ASSERT_EQ(image.check.size(), 64u);
    EXPECT_EQ(image.check[62].state, 2);
    EXPECT_EQ(image.check[63].state, 1);
    EXPECT_EQ(image.rebootMs, kNeverBack);
    EXPECT_EQ(image.rebootDelayMs, 250u);
    EXPECT_EQ(image.installsVersion, "4, 0, 1, 3");
    EXPECT_EQ(stick.images[1].rebootMs, kNeverBack);
    EXPECT_EQ(stick.images[2].rebootMs, 0);
}

TEST(ScenarioParse, ReadsResourcesAndAllowsNone) {
    EXPECT_TRUE(Parse(R"({"resources": []})").resources.empty());
    EXPECT_FALSE(Parse(R"({"resources": []})").programResources);
    EXPECT_TRUE(Parse(R"({"resources": "program"})").programResources);
    const Scenario scenario = Parse(R"({"resources": [
        {"type": "IsoImage", "id": 133, "length": 40000, "label": "SHORT", "seed": 9, "load": "fail"},
        {"type": "KERNEL_IMAGE", "id": 143, "length": 64}]})");
    ASSERT_EQ(scenario.resources.size(), 2u);
    EXPECT_EQ(scenario.resources[0].label, "SHORT");
    EXPECT_EQ(scenario.resources[0].seed, 9u);
    EXPECT_EQ(scenario.resources[0].load, ResourceLoad::Fail);
    EXPECT_EQ(scenario.resources[1].seed, 143u) << "the seed defaults to the id";
    EXPECT_EQ(scenario.resources[1].load, ResourceLoad::Ok);
}

TEST(ScenarioParse, ALongProductVersionIsKeptWhole) {
    const std::string version(300, '7');
    const Scenario scenario = Parse(R"({"drives": [{"letter": "E", "files": {"QivarGUIMain.exe":
        {"product_version": ")" + version +
                                    R"("}}}]})");
    EXPECT_EQ(scenario.drives.at(0).files.at(0).productVersion, version);
}

} // namespace
} // namespace sim
