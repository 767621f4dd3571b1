#pragma once
// The component kinds that layouts may name, each with its properties, and their typed
// registration (see Layout.h).
#include "framework/layout/LayoutContext.h"
#include "framework/layout/LayoutParser.h"
#include "framework/core/Component.h"

#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class TLayoutContext;
using TLayoutSetter =
    std::function<void(TComponent& target, const TLayoutValue& value, TLayoutContext& context)>;
using TComponentFactory = std::function<TComponent*(TComponent* owner)>;

class TLayoutKind {
public:
    TLayoutKind(std::string name, const TLayoutKind* base, TComponentFactory factory);
    const std::string& Name() const { return name_; }
    bool CanCreate() const { return static_cast<bool>(factory_); }
    TComponent* Create(TComponent* owner) const { return factory_(owner); }
    // The property of this kind or of one of its bases; nullptr when there is none.
    const TLayoutSetter* FindProperty(const std::string& name) const;
    void AddProperty(const std::string& name, TLayoutSetter setter);

private:
    std::string name_;
    const TLayoutKind* base_;
    TComponentFactory factory_;
    std::map<std::string, TLayoutSetter> properties_;
};

class TLayoutRegistry {
public:
    // The registry, with the toolkit's own kinds in it.
    static TLayoutRegistry& Instance();
    // A kind; baseName ("" for none) must be registered already. An existing kind is returned
    // as it is.
    TLayoutKind& Register(const std::string& name, const std::string& baseName,
                          TComponentFactory factory);
    const TLayoutKind* Find(const std::string& name) const;

private:
    TLayoutRegistry() = default;
    std::map<std::string, std::unique_ptr<TLayoutKind>> kinds_;
};

// Typed registration of one kind's properties.
template <class T>
class TKindBuilder {
public:
    explicit TKindBuilder(TLayoutKind& kind) : kind_(kind) {}

    TKindBuilder& Property(const std::string& name,
                           std::function<void(T&, const TLayoutValue&, TLayoutContext&)> set)
    {
        kind_.AddProperty(name, [set](TComponent& c, const TLayoutValue& v, TLayoutContext& ctx) {
            set(dynamic_cast<T&>(c), v, ctx);
        });
        return *this;
    }
    TKindBuilder& Integer(const std::string& name, std::function<void(T&, int)> set)
    {
        return Property(name, [set](T& t, const TLayoutValue& v, TLayoutContext& ctx) {
            set(t, static_cast<int>(ctx.AsInteger(v)));
        });
    }
    TKindBuilder& Boolean(const std::string& name, std::function<void(T&, bool)> set)
    {
        return Property(name, [set](T& t, const TLayoutValue& v, TLayoutContext& ctx) {
            set(t, ctx.AsBoolean(v));
        });
    }
    TKindBuilder& Text(const std::string& name, std::function<void(T&, const std::string&)> set)
    {
        return Property(name, [set](T& t, const TLayoutValue& v, TLayoutContext& ctx) {
            set(t, ctx.AsText(v));
        });
    }
    template <class C>
    TKindBuilder& Integer(const std::string& name, void (C::*setter)(int))
    {
        return Integer(name, std::function<void(T&, int)>([setter](T& t, int v) { (t.*setter)(v); }));
    }
    template <class C>
    TKindBuilder& Boolean(const std::string& name, void (C::*setter)(bool))
    {
        return Boolean(name,
                       std::function<void(T&, bool)>([setter](T& t, bool v) { (t.*setter)(v); }));
    }
    template <class C>
    TKindBuilder& Text(const std::string& name, void (C::*setter)(const std::string&))
    {
        return Text(name, std::function<void(T&, const std::string&)>(
                              [setter](T& t, const std::string& v) { (t.*setter)(v); }));
    }
    template <class C, class E>
    TKindBuilder& Enum(const std::string& name, void (C::*setter)(E),
                       std::initializer_list<std::pair<const char*, E>> names)
    {
        std::vector<std::pair<const char*, E>> table(names);
        return Property(name, [setter, table](T& t, const TLayoutValue& v, TLayoutContext& ctx) {
            const std::string& word = ctx.AsWord(v);
            for (const auto& n : table)
                if (word == n.first) {
                    (t.*setter)(n.second);
                    return;
                }
            ctx.BadValue();
        });
    }
    // An event field bound to the form's handler of that name.
    template <class C, class E>
    TKindBuilder& Event(const std::string& name, E C::*member)
    {
        return Property(name, [member](T& t, const TLayoutValue& v, TLayoutContext& ctx) {
            t.*member = ctx.template AsHandler<E>(v);
        });
    }

private:
    TLayoutKind& kind_;
};

template <class T>
TKindBuilder<T> RegisterKind(const std::string& name, const std::string& baseName)
{
    return TKindBuilder<T>(TLayoutRegistry::Instance().Register(
        name, baseName, [](TComponent* owner) -> TComponent* { return new T(owner); }));
}
// A kind that only lends its properties to others (no component of it is made).
template <class T>
TKindBuilder<T> RegisterAbstractKind(const std::string& name, const std::string& baseName)
{
    return TKindBuilder<T>(TLayoutRegistry::Instance().Register(name, baseName, nullptr));
}
