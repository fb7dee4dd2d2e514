#include "platform/host/std_threads.h"

namespace platform::host {

StdThreads::~StdThreads() {
    std::vector<std::thread*> joinable;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& worker : m_workers) {
            if (!worker->released) {
                worker->released = true; // never resumed: let go without running
            }
            joinable.push_back(&worker->thread);
        }
        m_gate.notify_all();
    }
    for (std::thread* thread : joinable) {
        if (thread->joinable()) {
            thread->join();
        }
    }
}

ThreadHandle StdThreads::createSuspended(std::function<void()> routine) {
    std::lock_guard lock(m_mutex);
    auto worker = std::make_unique<Worker>();
    Worker* self = worker.get();
    try {
        self->thread = std::thread([this, self, body = std::move(routine)] {
            bool run = false;
            {
                std::unique_lock gate(m_mutex);
                m_gate.wait(gate, [self] { return self->released; });
                run = self->run;
            }
            if (run) {
                body();
            }
        });
    } catch (const std::system_error&) {
        return ThreadHandle::None;
    }
    m_workers.push_back(std::move(worker));
    return static_cast<ThreadHandle>(m_workers.size());
}

void StdThreads::resume(ThreadHandle thread) {
    const auto index = static_cast<std::size_t>(thread);
    std::lock_guard lock(m_mutex);
    if (index >= 1 && index <= m_workers.size() && !m_workers[index - 1]->released) {
        m_workers[index - 1]->released = true;
        m_workers[index - 1]->run = true;
        m_gate.notify_all();
    }
}

void StdThreads::close(ThreadHandle) {
    // The thread runs on to its end and is joined with the others.
}

} // namespace platform::host
