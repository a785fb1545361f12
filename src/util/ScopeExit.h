#pragma once
// The one scope guard of the project.
#include <functional>
#include <utility>

// Runs `action` when it leaves scope, whatever happens in between (also when an exception passes through).
class OnScopeExit
{
public:
    explicit OnScopeExit(std::function<void()> action) : action_(std::move(action)) {}
    ~OnScopeExit()
    {
        if (action_)
            action_();
    }
    OnScopeExit(const OnScopeExit&) = delete;
    OnScopeExit& operator=(const OnScopeExit&) = delete;

private:
    std::function<void()> action_;
};
