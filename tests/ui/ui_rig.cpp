#include "ui_rig.h"

#include "ui/kestrun_app.h"

namespace uitest {

sim::Scenario StickPc(const std::string& installedVersion) {
    sim::Scenario scenario;
    sim::DriveSpec disk;
    disk.letter = 'C';
    disk.product = "SAMSUNG SSD 870 ";
    scenario.drives = {disk, sim::MakeStickDrive('E', installedVersion)};
    return scenario;
}

UiRig::UiRig(sim::Scenario scenario, std::uint16_t userLanguage) : machine(std::move(scenario)) {
    program.setUserLanguage(userLanguage);
    machine.setProgramResources(program);
}

bool UiRig::runApp() {
    CKestrunApp app(machine.platform(), machine.windows());
    const bool result = app.InitInstance();
    machine.joinWorkers();
    return result;
}

std::vector<sim::TranscriptEvent> UiRig::events(std::string_view op) const {
    std::vector<sim::TranscriptEvent> selected;
    for (const sim::TranscriptEvent& event : machine.transcript()) {
        if (event.op == op) {
            selected.push_back(event);
        }
    }
    return selected;
}

long UiRig::firstIndex(std::string_view op, std::string_view key, const std::string& value) const {
    const auto all = machine.transcript();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].op != op) {
            continue;
        }
        if (key.empty()) {
            return static_cast<long>(i);
        }
        const auto& field = all[i].fields[std::string(key)];
        const std::string text = field.is_string() ? field.get<std::string>() : field.dump();
        if (text == value) {
            return static_cast<long>(i);
        }
    }
    return -1;
}

WorkerGate::WorkerGate(sim::Machine& machine) {
    machine.setStatusObserver([this](std::string_view) {
        std::unique_lock lock(m_mutex);
        m_arrived = true;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_open; });
    });
}

void WorkerGate::awaitWorker() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_arrived; });
}

void WorkerGate::open() {
    std::lock_guard lock(m_mutex);
    m_open = true;
    m_changed.notify_all();
}

} // namespace uitest
