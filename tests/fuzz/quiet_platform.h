#pragma once
// The parts of a machine that a fuzz target does not exercise: a clock whose pauses cost no
// time, controls that keep the last status text and check the progress bar, and parts that
// find nothing.

#include "fuzz_input.h"
#include "idle_platform.h"
#include "platform/platform.h"

#include <cstdint>
#include <string>

namespace fuzz {

class CheckedControls final : public platform::DialogControls {
  public:
    void setText(int, std::string_view text) override { lastText.assign(text); }
    void enable(int, bool) override {}
    void setProgressRange(int, std::uint16_t low, std::uint16_t high) override {
        Require(low <= high, "progress range upside down");
        m_low = low;
        m_high = high;
    }
    void setProgressPos(int, int position) override {
        Require(position >= m_low && position <= m_high, "progress position outside its range");
    }
    void enableCloseCommand(bool) override {}

    std::string lastText;

  private:
    int m_low = 0;
    int m_high = 100;
};

class NoDrives final : public platform::Drives {
  public:
    std::uint32_t logicalDriveStrings(std::span<char>) override { return 0; }
    std::uint32_t driveType(const char*) override { return 1; }
    std::uint32_t moduleFileName(std::span<char> buffer) override {
        if (!buffer.empty()) {
            buffer[0] = '\0';
        }
        return 0;
    }
};

class NoVersions final : public platform::VersionInfo {
  public:
    std::uint32_t size(const char*) override { return 0; }
    bool read(const char*, std::span<std::uint8_t>) override { return false; }
    std::optional<std::span<const std::uint8_t>> queryValue(std::span<const std::uint8_t>,
                                                            const char*) override {
        return std::nullopt;
    }
};

// A machine around the one Storage a target brings.
struct QuietMachine {
    explicit QuietMachine(platform::Storage& storage)
        : system{storage, drives, resources, versions, clock, threads, controls} {}

    NoDrives drives;
    test::NoResources resources;
    NoVersions versions;
    test::VirtualClock clock;
    test::NoThreads threads;
    CheckedControls controls;
    platform::Platform system;
};

} // namespace fuzz
