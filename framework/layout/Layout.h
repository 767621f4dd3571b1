#pragma once
// Window layouts: a text that declares a form and its components, read when the form is made.
// A form class reads its own at the end of its constructor: ReadLayoutResource(*this, "TFRMMAIN").
//
//   # The first block is the form itself; its properties follow, indented.
//   form frmMain
//       Caption      = "frmMain"
//       ClientWidth  = 400
//       BorderIcons  = [SystemMenu]
//       OnCreate     = FormCreate
//
//   # Every other block is "<kind> <name>"; components are made in this order.
//   TBitBtn btnSetup
//       Bounds   = [44, 174, 114, 43]
//       Caption  = "アップデート"
//       OnClick  = btnSetupClick
//
//   TLabel Label1
//       Parent   = Panel1            (controls default to the form)
//
//   TMatrixImagePack MatrixImagePack1
//       ImageLoader.ResName = "LOGO" (nested properties are dotted names)
//
// Values: integers (12, -12, 0x00FF00), texts in double quotes ("" stands for one quote; no
// other escapes, so CP932 trail bytes are safe), bare words (true, Dialog, a handler or a
// component name), and lists in brackets, which may span lines ([SystemMenu], ["a", "b"]).
// Lines whose first non-blank character is "#" are comments. Layout files are UTF-8 in the
// source tree and CP932 in the program.
//
// Component kinds and their properties come from the registry; other units register theirs:
//
//   RegisterKind<TReadyNotifier>("TReadyNotifier", "TComponent")
//       .Event("OnReady", &TReadyNotifier::OnReady);
//   RegisterKind<TMatrixImagePack>("TMatrixImagePack", "TComponent")
//       .Text("ImageLoader.ResName", [](TMatrixImagePack& p, const std::string& v) {...})
//       .Integer("CountCol", &TMatrixImagePack::SetCountCol);
//
// Registering a kind again returns the existing entry, so registration functions may run more
// than once. An unknown kind, property, handler or component name is an ELayoutError.
#include "framework/core/Component.h"
#include "framework/core/Exception.h"
#include "framework/ui/Form.h"

#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct TLayoutValue {
    enum class Type { Integer, Text, Word, List };
    Type type = Type::Integer;
    long number = 0;
    std::string text;                // Text and Word
    std::vector<TLayoutValue> items; // List
};

struct TLayoutProperty {
    std::string name;
    TLayoutValue value;
    int line = 0;
};

struct TLayoutBlock {
    std::string kind;   // "form" for the first block
    std::string name;
    int line = 0;
    std::vector<TLayoutProperty> properties;
};

// Splits a layout text into blocks; raises ELayoutError naming layoutName and the line.
std::vector<TLayoutBlock> ParseLayout(const std::string& text, const std::string& layoutName);
// Raises ELayoutError: the message stringId with args, inside the one that names layoutName.
[[noreturn]] void LayoutFailure(const std::string& layoutName, unsigned stringId,
                                std::initializer_list<std::string> args);

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

// Builds a form from a layout text: makes the components, sets their properties, binds the
// form's fields, and ends the loading of every component (Loaded) once all are read.
class TLayoutReader {
public:
    TLayoutReader(TForm& form, std::string layoutName);
    void Read(const std::string& text);

private:
    enum class TPropertyFilter { All, ParentOnly, ExceptParent };
    void ReadForm(const TLayoutBlock& block);
    TComponent* ReadComponent(const TLayoutBlock& block);
    void ApplyProperties(TComponent& target, const TLayoutKind& kind, const TLayoutBlock& block,
                         TPropertyFilter filter);

    TForm& form_;
    TLayoutContext context_;
    std::vector<TComponent*> loading_;
};

// Builds the form from a layout text (CP932), then runs its OnCreate; layoutName names the
// layout in error messages. Raises ELayoutError.
void ReadLayout(TForm& form, const std::string& text, const std::string& layoutName);
// The same from the layout resource of type "LAYOUT" with this name in the program's module.
void ReadLayoutResource(TForm& form, const char* name);
