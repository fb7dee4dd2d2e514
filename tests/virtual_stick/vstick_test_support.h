#pragma once
// An in-memory USB link for the virtual stick: the host's side of Bulk-Only Transport, a clock
// that moves only when told, a bus that records the stick's comings and goings, and small ISO
// volumes.

#include "bot_session.h"
#include "bulk_pipe.h"
#include "bus_control.h"
#include "image_keeper.h"
#include "medium.h"
#include "sim_test_support.h"
#include "stick_clock.h"
#include "virtual_stick.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vstick::test {

using Bytes = std::vector<std::uint8_t>;
// The vendor commands as the tool builds them, shared with the simulator's tests.
using sim::test::Cdb;
using sim::test::kIdentifyCdb;
using sim::test::kStatusCdb;
using sim::test::WriteCdb;

// The host's transfers on OUT are queued; what the stick sends on IN is recorded, one entry per
// send (an empty entry is a zero-length packet).
class MemoryPipe : public BulkPipe {
  public:
    std::optional<std::size_t> receive(std::span<std::uint8_t> buffer) override;
    bool send(std::span<const std::uint8_t> bytes) override;
    void haltIn() override { ++inHalts; }
    void haltOut() override { ++outHalts; }
    std::size_t maxPacketSize() const override { return packetSize; }

    std::deque<Bytes> fromHost;
    std::vector<Bytes> toHost;
    int inHalts = 0;
    int outHalts = 0;
    std::size_t packetSize = 512;
    bool failSends = false;
};

// Atomic, so that a test may move it from a timer thread of its own.
class FakeClock : public Clock {
  public:
    std::uint64_t nowMs() const override { return now.load(); }
    void sleepMs(std::uint32_t ms) override { now += ms; }

    std::atomic<std::uint64_t> now{0};
};

class FakeBus : public BusControl {
  public:
    explicit FakeBus(const FakeClock& clock) : m_clock(clock) {}
    bool leave(std::string& error) override;
    bool enter(std::string& error) override;

    struct Change {
        bool onBus;
        std::uint64_t atMs;
    };
    std::vector<Change> changes;
    bool refuse = false;

  private:
    const FakeClock& m_clock;
};

// A 31-byte CBW, built field by field.
Bytes CbwBytes(std::uint32_t tag, std::uint32_t length, bool dataIn, const Cdb& cdb,
               std::uint8_t cbLength = 16, std::uint8_t lun = 0);

struct Csw {
    std::uint32_t signature = 0;
    std::uint32_t tag = 0;
    std::uint32_t residue = 0;
    std::uint8_t status = 0;
};

// What one command brought back to the host.
struct Exchange {
    std::uint32_t tag = 0; // of the CBW
    BotSession::Outcome outcome = BotSession::Outcome::Lost;
    Bytes data;                    // every data-in byte
    bool zeroLengthPacket = false; // the data phase ended with one
    std::optional<Csw> csw;        // the last transfer, when 13 bytes
};

// Sends one command through `session`: its CBW, then `out` for data-out.
Exchange Run(MemoryPipe& pipe, BotSession& session, const Cdb& cdb, bool dataIn,
             std::uint32_t hostLength, const Bytes& out = {});

// The CSW came back for this command, with this status and residue.
::testing::AssertionResult CswIs(const Exchange& exchange, std::uint8_t status,
                                 std::uint32_t residue);

// An ISO 9660 volume of `sectors` sectors: "CD001" in sector 16, and every sector marked with
// its number and `seed`, so that a read of the wrong sector shows.
Bytes MakeVolume(std::uint32_t sectors, std::uint8_t seed);

Cdb MakeCdb(std::initializer_list<std::uint8_t> bytes);

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return m_path; }

  private:
    std::string m_path;
};

Bytes ReadFile(const std::string& path);

// The stick on the in-memory link: the whole path from a CBW to the CSW.
struct Rig {
    explicit Rig(sim::StickScript script = {}, std::uint32_t sectors = 40,
                 ImageKeeper* keeper = nullptr);

    Exchange run(const Cdb& cdb, bool dataIn, std::uint32_t hostLength, const Bytes& out = {}) {
        return Run(pipe, session, cdb, dataIn, hostLength, out);
    }
    // REQUEST SENSE: key, ASC.
    std::pair<std::uint8_t, std::uint8_t> sense();
    // EF status query: the state byte, or nothing when it did not come back.
    std::optional<std::uint8_t> status();
    // Sends `image` in chunks of `chunk` bytes; the outcome of each write.
    std::vector<Exchange> write(std::uint8_t kind, const Bytes& image, std::uint32_t chunk);

    Bytes volume;
    MemoryPipe pipe;
    FakeClock clock;
    FakeBus bus{clock};
    std::vector<std::string> lines;
    VirtualStick stick;
    BotSession session{pipe, stick};
};

} // namespace vstick::test
