#pragma once
// What a form's layout may name: the form's handlers (by name and event type) and the fields
// that receive the layout's components. A form class fills both in its constructor, before its
// layout is read.
#include "framework/core/Component.h"

#include <any>
#include <functional>
#include <map>
#include <string>
#include <vector>

class TFormBindings {
public:
    // Handlers the layout may name. Member functions of the form class bind to this form.
    template <class Event>
    void AddHandler(const std::string& name, Event handler)
    {
        handlers_[name] = std::move(handler);
    }
    template <class F, class... Args>
    void AddHandler(const std::string& name, void (F::*method)(Args...))
    {
        F* self = static_cast<F*>(this);
        handlers_[name] =
            std::function<void(Args...)>([self, method](Args... args) { (self->*method)(args...); });
    }
    // The handler of this name and event type; nullptr when there is none of that type.
    template <class Event>
    const Event* FindHandler(const std::string& name) const
    {
        auto it = handlers_.find(name);
        return it == handlers_.end() ? nullptr : std::any_cast<Event>(&it->second);
    }
    bool HasHandler(const std::string& name) const { return handlers_.count(name) != 0; }

    // A field that receives the layout's component of this name; a missing component or one of
    // another kind is a layout error.
    template <class T>
    void AddField(const std::string& name, T*& field)
    {
        field = nullptr;
        fields_[name] = [&field](TComponent* c) {
            field = dynamic_cast<T*>(c);
            return field != nullptr;
        };
    }
    // Called by the layout reader for each component it made; false: the field's kind differs.
    bool BindField(const std::string& name, TComponent* component);
    // Names of fields that no component was bound to.
    std::vector<std::string> UnboundFields() const;

protected:
    TFormBindings() = default;
    ~TFormBindings() = default;

private:
    std::map<std::string, std::any> handlers_;
    std::map<std::string, std::function<bool(TComponent*)>> fields_;
    std::vector<std::string> boundFields_;
};
