// The transcript: what it records, with which time, and the shape of its JSON lines.

#include "platform/sim/machine.h"

#include "sim_test_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace sim {
namespace {

using Json = nlohmann::json;

// A short session: a status query, a sleep, a refused write and some control changes.
void Session(Machine& machine) {
    platform::Platform& pc = machine.platform();
    const auto handle = pc.storage.open("\\\\.\\E:", platform::OpenMode::PassThrough).handle;
    alignas(16) std::array<std::uint8_t, 64> buffer{};
    auto status = test::Request(test::kStatusCdb, platform::kScsiDataIn, buffer.data(), 12, 3);
    pc.storage.passThrough(handle, status);
    pc.clock.sleep(100);
    auto write = test::Request(test::WriteCdb(2, true, 64, 64, 1), platform::kScsiDataOut,
                               buffer.data(), 64, 5);
    pc.storage.passThrough(handle, write);
    pc.controls.setText(1000, "Uploading ISO Image... (42%)");
    pc.controls.enable(2, true);
    pc.controls.setProgressRange(1002, 0, 100);
    pc.controls.setProgressPos(1002, 42);
    pc.controls.enableCloseCommand(true);
    pc.storage.close(handle);
}

Scenario StickPc() {
    Scenario scenario;
    scenario.drives = {MakeStickDrive('E')};
    return scenario;
}

// Each line parsed; every line must open with "t" and then "op".
std::vector<Json> Lines(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::vector<Json> lines;
    for (std::string line; std::getline(file, line);) {
        EXPECT_TRUE(std::regex_search(line, std::regex(R"(^\{"t":[0-9]+,"op":")"))) << line;
        lines.push_back(Json::parse(line));
    }
    return lines;
}

TEST(Transcript, WritesOneJsonObjectPerLineWithTimeOpAndFields) {
    Machine machine(StickPc());
    const auto path =
        std::filesystem::temp_directory_path() /
        ("kestrun-transcript-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         ".jsonl");
    std::string error;
    ASSERT_TRUE(machine.writeTranscript(path.string(), error)) << error;
    Session(machine);
    const std::vector<Json> lines = Lines(path);
    std::filesystem::remove(path);

    ASSERT_EQ(lines.size(), machine.transcript().size());
    std::vector<std::string> ops;
    for (const Json& line : lines) {
        ASSERT_TRUE(line.is_object());
        ASSERT_TRUE(line["t"].is_number_unsigned()) << line;
        ASSERT_TRUE(line["op"].is_string()) << line;
        ops.push_back(line["op"]);
    }
    const std::vector<std::string> expected = {
        "open",           "cdb",          "sleep",         "cdb",  "text", "enable",
        "progress_range", "progress_pos", "close_command", "close"};
    EXPECT_EQ(ops, expected);

    const Json& status = lines[1];
    EXPECT_EQ(status["t"], 0);
    EXPECT_TRUE(std::regex_match(status["cdb"].get<std::string>(), std::regex("[0-9a-f]{32}")));
    EXPECT_EQ(status["cdb"], "ef00000c000000000000000000000000");
    EXPECT_EQ(status["dir"], "in");
    EXPECT_EQ(status["len"], 12);
    EXPECT_EQ(status["timeout"], 3);
    EXPECT_EQ(status["ok"], true);
    EXPECT_EQ(status["scsi_status"], 0);
    EXPECT_EQ(status["moved"], 12);

    EXPECT_EQ(lines[2]["ms"], 100);
    const Json& refused = lines[3];
    EXPECT_EQ(refused["t"], 100) << "after the sleep";
    EXPECT_EQ(refused["dir"], "out");
    EXPECT_EQ(refused["scsi_status"], 2) << "chunk 1 without chunk 0";
    EXPECT_EQ(lines[4]["id"], 1000);
    EXPECT_EQ(lines[4]["text"], "Uploading ISO Image... (42%)");
    EXPECT_EQ(lines[5]["enabled"], true);
    EXPECT_EQ(lines[6]["high"], 100);
    EXPECT_EQ(lines[7]["pos"], 42);
    EXPECT_EQ(lines[8]["enabled"], true);
}

TEST(Transcript, RecordsNothingWhileOff) {
    Machine machine(StickPc());
    machine.setRecording(false);
    Session(machine);
    EXPECT_TRUE(machine.transcript().empty());
    EXPECT_TRUE(machine.statusHistory().empty());
    EXPECT_EQ(machine.controls().control(1000).text, "Uploading ISO Image... (42%)")
        << "the machine itself goes on";
    machine.setRecording(true);
    machine.platform().clock.sleep(5);
    ASSERT_EQ(machine.transcript().size(), 1u);
    EXPECT_EQ(machine.transcript()[0].t, 100u);
}

} // namespace
} // namespace sim
