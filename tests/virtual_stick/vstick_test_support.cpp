#include "vstick_test_support.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace vstick::test {

namespace {

void PutLe32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint32_t Le32(const Bytes& bytes, std::size_t at) {
    return std::uint32_t{bytes[at]} | std::uint32_t{bytes[at + 1]} << 8 |
           std::uint32_t{bytes[at + 2]} << 16 | std::uint32_t{bytes[at + 3]} << 24;
}

} // namespace

std::optional<std::size_t> MemoryPipe::receive(std::span<std::uint8_t> buffer) {
    if (fromHost.empty()) {
        return std::nullopt; // the host went away
    }
    Bytes& front = fromHost.front();
    const std::size_t length = std::min(front.size(), buffer.size());
    std::copy_n(front.begin(), length, buffer.begin());
    if (length == front.size()) {
        fromHost.pop_front();
    } else {
        front.erase(front.begin(), front.begin() + static_cast<std::ptrdiff_t>(length));
    }
    return length;
}

bool MemoryPipe::send(std::span<const std::uint8_t> bytes) {
    if (failSends) {
        return false;
    }
    toHost.emplace_back(bytes.begin(), bytes.end());
    return true;
}

bool FakeBus::leave(std::string& error) {
    if (refuse) {
        error = "refused";
        return false;
    }
    changes.push_back({false, m_clock.nowMs()});
    return true;
}

bool FakeBus::enter(std::string& error) {
    if (refuse) {
        error = "refused";
        return false;
    }
    changes.push_back({true, m_clock.nowMs()});
    return true;
}

Bytes CbwBytes(std::uint32_t tag, std::uint32_t length, bool dataIn, const Cdb& cdb,
               std::uint8_t cbLength, std::uint8_t lun) {
    Bytes bytes(31, 0);
    bytes[0] = 'U';
    bytes[1] = 'S';
    bytes[2] = 'B';
    bytes[3] = 'C';
    PutLe32(bytes, 4, tag);
    PutLe32(bytes, 8, length);
    bytes[12] = dataIn ? 0x80 : 0x00;
    bytes[13] = lun;
    bytes[14] = cbLength;
    std::copy_n(cdb.begin(), std::min<std::size_t>(cbLength, 16), bytes.begin() + 15);
    return bytes;
}

Exchange Run(MemoryPipe& pipe, BotSession& session, const Cdb& cdb, bool dataIn,
             std::uint32_t hostLength, const Bytes& out) {
    static std::uint32_t tag = 0x1000;
    ++tag;
    pipe.fromHost.push_back(CbwBytes(tag, hostLength, dataIn, cdb));
    if (!out.empty()) {
        pipe.fromHost.push_back(out);
    }
    const std::size_t before = pipe.toHost.size();
    Exchange exchange;
    exchange.tag = tag;
    exchange.outcome = session.serveOne();
    std::vector<Bytes> sent(pipe.toHost.begin() + static_cast<std::ptrdiff_t>(before),
                            pipe.toHost.end());
    if (!sent.empty() && sent.back().size() == 13) {
        const Bytes& last = sent.back();
        exchange.csw = Csw{Le32(last, 0), Le32(last, 4), Le32(last, 8), last[12]};
        sent.pop_back();
    }
    for (const Bytes& transfer : sent) {
        exchange.zeroLengthPacket = exchange.zeroLengthPacket || transfer.empty();
        exchange.data.insert(exchange.data.end(), transfer.begin(), transfer.end());
    }
    return exchange;
}

Bytes MakeVolume(std::uint32_t sectors, std::uint8_t seed) {
    Bytes bytes(std::size_t{sectors} * Medium::kSectorSize, 0);
    for (std::uint32_t lba = 0; lba < sectors; ++lba) {
        std::uint8_t* sector = bytes.data() + std::size_t{lba} * Medium::kSectorSize;
        for (std::size_t i = 0; i < Medium::kSectorSize; ++i) {
            sector[i] = static_cast<std::uint8_t>(lba * 7 + i + seed);
        }
    }
    std::memcpy(bytes.data() + 16 * Medium::kSectorSize,
                "\x01"
                "CD001\x01",
                7);
    return bytes;
}

Cdb MakeCdb(std::initializer_list<std::uint8_t> bytes) {
    Cdb cdb{};
    std::copy(bytes.begin(), bytes.end(), cdb.begin());
    return cdb;
}

Rig::Rig(sim::StickScript script, std::uint32_t sectors, ImageKeeper* keeper)
    : volume(MakeVolume(sectors, 0)),
      stick(std::move(script), std::make_shared<const Medium>("start.iso", volume), clock, bus,
            keeper, [this](const std::string& line) { lines.push_back(line); }) {}

std::pair<std::uint8_t, std::uint8_t> Rig::sense() {
    const Exchange e = run(MakeCdb({0x03, 0, 0, 0, 18}), true, 18);
    if (e.data.size() < 14) {
        return {0xFF, 0xFF};
    }
    return {e.data[2], e.data[12]};
}

std::optional<std::uint8_t> Rig::status() {
    const Exchange e = run(kStatusCdb, true, 12);
    if (!e.csw || e.csw->status != 0 || e.data.size() < 9) {
        return std::nullopt;
    }
    return e.data[8];
}

std::vector<Exchange> Rig::write(std::uint8_t kind, const Bytes& image, std::uint32_t chunk) {
    std::vector<Exchange> exchanges;
    const auto total = static_cast<std::uint32_t>(image.size());
    for (std::uint32_t offset = 0, n = 0; offset < total; offset += chunk, ++n) {
        const std::uint32_t length = std::min(chunk, total - offset);
        const Bytes piece(image.begin() + offset, image.begin() + offset + length);
        exchanges.push_back(
            run(WriteCdb(kind, offset + length == total, total, length, n), false, length, piece));
        if (exchanges.back().outcome != BotSession::Outcome::Completed) {
            break;
        }
    }
    return exchanges;
}

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vstick-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    m_path = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

Bytes ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

::testing::AssertionResult CswIs(const Exchange& exchange, std::uint8_t status,
                                 std::uint32_t residue) {
    if (!exchange.csw) {
        return ::testing::AssertionFailure() << "no CSW came back";
    }
    const Csw& csw = *exchange.csw;
    if (csw.signature != 0x53425355 || csw.tag != exchange.tag || csw.status != status ||
        csw.residue != residue) {
        return ::testing::AssertionFailure()
               << std::hex << "CSW signature " << csw.signature << " tag " << csw.tag << " (sent "
               << exchange.tag << ") status " << unsigned{csw.status} << std::dec << " residue "
               << csw.residue << "; expected status " << unsigned{status} << " residue " << residue;
    }
    return ::testing::AssertionSuccess();
}

} // namespace vstick::test
