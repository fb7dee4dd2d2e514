#pragma once
// Parts of a machine that a test does not exercise: a clock whose pauses cost no time, and
// resources and threads that find and start nothing.

#include "platform/clock.h"
#include "platform/resources.h"
#include "platform/threads.h"

#include <cstdint>

namespace test {

class VirtualClock final : public platform::Clock {
  public:
    void sleep(std::uint32_t milliseconds) override { now += milliseconds; }
    std::uint64_t nowMs() override { return now; }
    std::uint64_t now = 0;
};

class NoResources final : public platform::Resources {
  public:
    platform::ResourceHandle find(std::string_view, std::uint16_t) override {
        return platform::ResourceHandle::None;
    }
    std::optional<std::span<const std::uint8_t>> load(platform::ResourceHandle) override {
        return std::nullopt;
    }
};

class NoThreads final : public platform::Threads {
  public:
    platform::ThreadHandle createSuspended(std::function<void()>) override {
        return platform::ThreadHandle::None;
    }
    void resume(platform::ThreadHandle) override {}
    void close(platform::ThreadHandle) override {}
};

} // namespace test
