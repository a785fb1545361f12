#pragma once
// How the exchange module waits for a library call. A call can last the register's whole time-out (up to 999 s);
// the window runs it off its own thread and keeps repainting meanwhile, while input given during the call is
// dropped. Without a runner (TfmE::callRunner == nullptr) the call runs directly.
#include <functional>

class ICallRunner
{
public:
    virtual ~ICallRunner() = default;
    // Runs `call` and returns once it has finished. `call` reaches neither a window nor the database, so the
    // runner may run it on another thread; everything else stays on the caller's thread.
    virtual void Run(const std::function<void()>& call) = 0;
};
