#pragma once
// The update worker thread. It is created held back, so that its creator can store the handle
// before the routine runs, then let go.

#include <cstdint>
#include <functional>

namespace platform {

enum class ThreadHandle : std::uintptr_t { None = 0 };

class Threads {
  public:
    virtual ~Threads() = default;
    // A new thread that will run `routine` once resumed; None when it cannot be created.
    virtual ThreadHandle createSuspended(std::function<void()> routine) = 0;
    virtual void resume(ThreadHandle thread) = 0;
    // Releases the handle; the thread runs on to its end.
    virtual void close(ThreadHandle thread) = 0;
};

} // namespace platform
