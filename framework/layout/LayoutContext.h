#pragma once
#include "framework/layout/LayoutParser.h"
#include "framework/ui/Form.h"

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// What a property setter can ask while a layout is read. Conversions raise ELayoutError with
// the layout's name, the line and the property.
class TLayoutContext {
public:
    TLayoutContext(TForm& form, std::string layoutName);

    TForm& Form() { return form_; }
    const std::string& LayoutName() const { return layoutName_; }

    long AsInteger(const TLayoutValue& value);
    bool AsBoolean(const TLayoutValue& value);
    const std::string& AsText(const TLayoutValue& value);
    const std::string& AsWord(const TLayoutValue& value);
    const std::vector<TLayoutValue>& AsList(const TLayoutValue& value);
    template <class E>
    E AsEnum(const TLayoutValue& value, std::initializer_list<std::pair<const char*, E>> names)
    {
        const std::string& word = AsWord(value);
        for (const auto& n : names)
            if (word == n.first)
                return n.second;
        BadValue();
    }
    // The form's handler named by the value, of this event type.
    template <class E>
    E AsHandler(const TLayoutValue& value)
    {
        const std::string& name = AsWord(value);
        const E* handler = form_.FindHandler<E>(name);
        if (!handler)
            UnknownHandler(name);
        return *handler;
    }
    // The form or one of its components named by the value.
    TComponent* AsComponent(const TLayoutValue& value);
    // Runs after every component of the layout exists (references to later components).
    void Defer(std::function<void()> action);

    [[noreturn]] void Fail(unsigned stringId, std::initializer_list<std::string> args);
    [[noreturn]] void BadValue();
    [[noreturn]] void UnknownHandler(const std::string& name);

    // Used by the reader.
    void SetPosition(int line, const std::string& property);
    int Line() const { return line_; }
    void RunDeferred();

private:
    TForm& form_;
    std::string layoutName_;
    int line_ = 0;
    std::string property_;
    std::vector<std::pair<int, std::function<void()>>> deferred_;
};
