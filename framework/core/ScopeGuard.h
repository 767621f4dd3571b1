#pragma once
// Undo on every path: what a function changes for a while comes back whether it returns or throws.
#include <utility>

// Runs an action when the scope ends, unless dismissed first (the change was kept).
template <class Action>
class TScopeExit {
public:
    explicit TScopeExit(Action action) : action_(std::move(action)) {}
    ~TScopeExit()
    {
        if (armed_)
            action_();
    }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

    void Dismiss() { armed_ = false; }

private:
    Action action_;
    bool armed_ = true;
};

// Sets a variable for the scope and puts its previous value back when the scope ends.
template <class T>
class TTemporaryValue {
public:
    TTemporaryValue(T& variable, T value) : variable_(variable), saved_(std::move(variable))
    {
        variable_ = std::move(value);
    }
    ~TTemporaryValue() { variable_ = std::move(saved_); }
    TTemporaryValue(const TTemporaryValue&) = delete;
    TTemporaryValue& operator=(const TTemporaryValue&) = delete;

private:
    T& variable_;
    T saved_;
};
