#pragma once
// Worker threads: real threads, each held at a gate until resumed. Closing a handle only
// releases it; the machine still joins every thread (joinAll), so that a test can wait for the
// update to end.

#include "platform/sim/machine_core.h"
#include "platform/threads.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace sim {

class SimThreads final : public platform::Threads {
  public:
    SimThreads(MachineCore& core, bool creationFails)
        : m_core(core), m_creationFails(creationFails) {}
    ~SimThreads() override;

    platform::ThreadHandle createSuspended(std::function<void()> routine) override;
    void resume(platform::ThreadHandle thread) override;
    void close(platform::ThreadHandle thread) override;

    // Waits for every thread that was resumed to end; one never resumed is let go without
    // running. Not to be called from a worker.
    void joinAll();
    // Handles created and not yet closed.
    std::size_t openHandles() const;

  private:
    struct Worker {
        std::thread thread;
        bool released = false; // guarded by m_mutex
        bool run = false;      // let through the gate to run the routine
        bool handleOpen = true;
    };
    Worker* find(platform::ThreadHandle thread);
    void release(Worker& worker, bool run);

    MachineCore& m_core;
    const bool m_creationFails;
    mutable std::mutex m_mutex; // the workers' gates and the list; never held with m_core.mutex
    std::condition_variable m_gate;
    std::vector<std::unique_ptr<Worker>> m_workers;
};

} // namespace sim
