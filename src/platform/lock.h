#pragma once
// The one lock of the tool: mutual exclusion between the dialog's thread and the worker.

#include <mutex>

namespace platform {

class Lock {
  public:
    void lock() { m_mutex.lock(); }
    void unlock() { m_mutex.unlock(); }

  private:
    std::mutex m_mutex;
};

} // namespace platform
