#include "platform/sim/sim_threads.h"

#include <utility>

namespace sim {

SimThreads::~SimThreads() {
    joinAll();
}

SimThreads::Worker* SimThreads::find(platform::ThreadHandle thread) {
    const auto index = static_cast<std::uintptr_t>(thread);
    return index >= 1 && index <= m_workers.size() ? m_workers[index - 1].get() : nullptr;
}

void SimThreads::release(Worker& worker, bool run) {
    worker.released = true;
    worker.run = run;
    m_gate.notify_all();
}

platform::ThreadHandle SimThreads::createSuspended(std::function<void()> routine) {
    platform::ThreadHandle handle = platform::ThreadHandle::None;
    if (!m_creationFails) {
        std::lock_guard lock(m_mutex);
        m_workers.push_back(std::make_unique<Worker>());
        Worker* worker = m_workers.back().get();
        handle = static_cast<platform::ThreadHandle>(m_workers.size());
        worker->thread = std::thread([this, worker, body = std::move(routine)] {
            bool run = false;
            {
                std::unique_lock gate(m_mutex);
                m_gate.wait(gate, [worker] { return worker->released; });
                run = worker->run;
            }
            if (run) {
                body();
            }
        });
    }
    std::lock_guard lock(m_core.mutex);
    m_core.record("thread_create",
                  [&](auto& f) { f["handle"] = static_cast<std::uintptr_t>(handle); });
    return handle;
}

void SimThreads::resume(platform::ThreadHandle thread) {
    bool ok = false;
    {
        std::lock_guard lock(m_mutex);
        if (Worker* worker = find(thread); worker != nullptr && !worker->released) {
            release(*worker, true);
            ok = true;
        }
    }
    std::lock_guard lock(m_core.mutex);
    m_core.record("thread_resume", [&](auto& f) {
        f["handle"] = static_cast<std::uintptr_t>(thread);
        f["ok"] = ok;
    });
}

void SimThreads::close(platform::ThreadHandle thread) {
    bool ok = false;
    {
        std::lock_guard lock(m_mutex);
        if (Worker* worker = find(thread); worker != nullptr && worker->handleOpen) {
            worker->handleOpen = false;
            ok = true;
        }
    }
    std::lock_guard lock(m_core.mutex);
    m_core.record("thread_close", [&](auto& f) {
        f["handle"] = static_cast<std::uintptr_t>(thread);
        f["ok"] = ok;
    });
}

void SimThreads::joinAll() {
    std::vector<std::thread*> joinable;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& worker : m_workers) {
            if (!worker->released) {
                release(*worker, false);
            }
            if (worker->thread.joinable()) {
                joinable.push_back(&worker->thread);
            }
        }
    }
    for (std::thread* thread : joinable) {
        thread->join();
    }
}

std::size_t SimThreads::openHandles() const {
    std::lock_guard lock(m_mutex);
    std::size_t count = 0;
    for (const auto& worker : m_workers) {
        count += worker->handleOpen ? 1 : 0;
    }
    return count;
}

} // namespace sim
