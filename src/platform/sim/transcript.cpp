#include "platform/sim/transcript.h"

namespace sim {

std::string TranscriptEvent::jsonLine() const {
    nlohmann::ordered_json line;
    line["t"] = t;
    line["op"] = op;
    for (const auto& item : fields.items()) {
        line[item.key()] = item.value();
    }
    // Control texts may hold any bytes; replace what is not UTF-8 rather than throw.
    return line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

bool Transcript::writeTo(const std::string& path, std::string& error) {
    m_file.open(path, std::ios::out | std::ios::trunc);
    if (!m_file) {
        error = path + ": cannot be written";
        return false;
    }
    for (const TranscriptEvent& event : m_events) {
        m_file << event.jsonLine() << '\n';
    }
    return true;
}

void Transcript::append(TranscriptEvent event) {
    if (m_file.is_open()) {
        m_file << event.jsonLine() << '\n';
        m_file.flush();
    }
    m_events.push_back(std::move(event));
}

} // namespace sim
