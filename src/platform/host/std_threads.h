#pragma once
// Worker threads of the standard library, each held at a gate until resumed. A closed handle
// lets its thread run on; every thread is joined when this object goes, at the process's end.

#include "platform/threads.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace platform::host {

class StdThreads final : public Threads {
  public:
    ~StdThreads() override;

    ThreadHandle createSuspended(std::function<void()> routine) override;
    void resume(ThreadHandle thread) override;
    void close(ThreadHandle thread) override;

  private:
    struct Worker {
        std::thread thread;
        bool released = false; // guarded by m_mutex
        bool run = false;
    };
    void release(std::size_t index, bool run);

    std::mutex m_mutex;
    std::condition_variable m_gate;
    std::vector<std::unique_ptr<Worker>> m_workers;
};

} // namespace platform::host
