// What property setters ask while a layout is read: typed values, handlers and components by
// name, and errors that name the layout, the line and the property.
#include "framework/layout/LayoutContext.h"

#include "framework/core/FrameworkStrings.h"

TLayoutContext::TLayoutContext(TForm& form, std::string layoutName)
    : form_(form), layoutName_(std::move(layoutName))
{
}

void TLayoutContext::SetPosition(int line, const std::string& property)
{
    line_ = line;
    property_ = property;
}

void TLayoutContext::Fail(unsigned stringId, std::initializer_list<std::string> args)
{
    LayoutFailure(layoutName_, stringId, args);
}

void TLayoutContext::BadValue()
{
    Fail(SLayoutBadValue, {std::to_string(line_), property_});
}

void TLayoutContext::UnknownHandler(const std::string& name)
{
    Fail(SLayoutUnknownHandler, {std::to_string(line_), name});
}

long TLayoutContext::AsInteger(const TLayoutValue& value)
{
    if (value.type != TLayoutValue::Type::Integer)
        BadValue();
    return value.number;
}

bool TLayoutContext::AsBoolean(const TLayoutValue& value)
{
    const std::string& word = AsWord(value);
    if (word == "true")
        return true;
    if (word == "false")
        return false;
    BadValue();
}

const std::string& TLayoutContext::AsText(const TLayoutValue& value)
{
    if (value.type != TLayoutValue::Type::Text)
        BadValue();
    return value.text;
}

const std::string& TLayoutContext::AsWord(const TLayoutValue& value)
{
    if (value.type != TLayoutValue::Type::Word)
        BadValue();
    return value.text;
}

const std::vector<TLayoutValue>& TLayoutContext::AsList(const TLayoutValue& value)
{
    if (value.type != TLayoutValue::Type::List)
        BadValue();
    return value.items;
}

TComponent* TLayoutContext::AsComponent(const TLayoutValue& value)
{
    const std::string& name = AsWord(value);
    if (name == form_.Name())
        return &form_;
    TComponent* c = form_.FindComponent(name);
    if (!c)
        Fail(SLayoutUnknownComponent, {std::to_string(line_), name});
    return c;
}

void TLayoutContext::Defer(std::function<void()> action)
{
    deferred_.emplace_back(line_, std::move(action));
}

void TLayoutContext::RunDeferred()
{
    auto actions = std::move(deferred_);
    deferred_.clear();
    for (auto& action : actions) {
        line_ = action.first;
        action.second();
    }
}
