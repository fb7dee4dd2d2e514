#pragma once
// What the simulated stick is told to do: how it answers OP_IDENTIFY, and for each image it will
// receive, its status replies, failures and reboot. Plain data, free of any host machine.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// One answer of the stick to a status query.
struct Reply {
    enum class Kind {
        Status, // a reply of `length` bytes: magic (or four zero bytes), four zero bytes, state
        Fail,   // the command ends with CHECK CONDITION
        Gone,   // the command never comes back
    };
    Kind kind = Kind::Status;
    std::uint8_t state = 0;
    bool magic = true;
    std::uint8_t length = 12; // 0..12

    static Reply State(std::uint8_t state) { return Reply{Kind::Status, state, true, 12}; }
    static Reply Idle() { return State(0); }
    static Reply Done() { return State(1); }
    static Reply Busy() { return State(2); }
    static Reply Invalid() { return State(3); }
    static Reply Error() { return State(4); }
    static Reply Fail() { return Reply{Kind::Fail, 0, true, 0}; }
    static Reply Gone() { return Reply{Kind::Gone, 0, true, 0}; }

    // Carries a state the tool may read: the magic and at least the state byte.
    bool valid() const { return kind == Kind::Status && magic && length > 8; }
    // Delivers the state byte at all, whatever the magic.
    bool carriesState() const { return kind == Kind::Status && length > 8; }
};

inline constexpr std::int64_t kNeverBack = -1;

// The stick's behaviour for one image, from its first status query to its reboot.
struct ImageScript {
    Reply preCheck = Reply::Idle();
    // Replies to the status queries after a chunk, by chunk number; then defaultPoll.
    std::map<std::uint32_t, std::vector<Reply>> polls;
    Reply defaultPoll = Reply::Idle();
    std::optional<std::uint32_t> failChunk;
    std::optional<std::uint32_t> vanishAtChunk;
    // Replies after the last chunk, in order; the last one repeats.
    std::vector<Reply> check = {Reply::Done()};
    std::int64_t rebootMs = 15000; // kNeverBack: the stick does not come back
    std::uint32_t rebootDelayMs = 0;
    // The ProductVersion of QivarGUIMain.exe once the stick is back from this image's reboot.
    std::optional<std::string> installsVersion;
};

struct StickScript {
    std::uint32_t identifyLength = 36; // 0..4096
    bool identifyFails = false;
    // The n-th image received follows images[n]; past the end the last repeats; with none, a
    // default-constructed script.
    std::vector<ImageScript> images;
    std::uint32_t latencyMs = 0; // virtual time each command takes
};

} // namespace sim
