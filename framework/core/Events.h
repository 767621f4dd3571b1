#pragma once
// Event types: a handler is a callable bound by whoever sets it (a form binds its methods).
#include <functional>

class TObject;

using TNotifyEvent = std::function<void(TObject* sender)>;

// Calls the handler when one is set.
template <class Event, class... Args>
void Fire(const Event& event, Args&&... args)
{
    if (event)
        event(std::forward<Args>(args)...);
}
