#pragma once
// Everything the tool did to the simulated machine, in order, with virtual timestamps: kept in
// memory for tests and, when a file is given, written as JSON lines (one object per line with
// "t", "op" and the op's own fields; docs/simulator.md lists them).
//
// Not thread-safe: the machine records under its own lock. With recording off, nothing is built
// and nothing is allocated.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sim {

struct TranscriptEvent {
    std::uint64_t t = 0; // virtual milliseconds
    std::string op;
    nlohmann::ordered_json fields = nlohmann::ordered_json::object();

    // {"t":..,"op":"..",<fields>} on one line, without the line end.
    std::string jsonLine() const;
};

class Transcript {
  public:
    bool recording() const { return m_recording; }
    void setRecording(bool on) { m_recording = on; }
    // Also appends every later event to `path` as a JSON line.
    bool writeTo(const std::string& path, std::string& error);

    // Records an event whose fields `fill` writes into the ordered_json object it is given;
    // `fill` runs only while recording.
    template <typename Fill> void record(std::uint64_t t, std::string_view op, Fill&& fill) {
        if (!m_recording) {
            return;
        }
        TranscriptEvent event{t, std::string(op)};
        std::forward<Fill>(fill)(event.fields);
        append(std::move(event));
    }

    const std::vector<TranscriptEvent>& events() const { return m_events; }

  private:
    void append(TranscriptEvent event);

    bool m_recording = true;
    std::vector<TranscriptEvent> m_events;
    std::ofstream m_file;
};

} // namespace sim
