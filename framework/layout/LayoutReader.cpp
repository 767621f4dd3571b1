// Building a form from its layout.
#include "framework/layout/LayoutReader.h"

#include "framework/core/FrameworkStrings.h"
#include "framework/core/Stream.h"

namespace {

const char kLayoutResourceType[] = "LAYOUT";
const char kFormKeyword[] = "form";
const char kParentProperty[] = "Parent";

} // namespace

void ReadLayout(TForm& form, const std::string& text, const std::string& layoutName)
{
    TLayoutReader(form, layoutName).Read(text);
    form.DoCreate();
}

void ReadLayoutResource(TForm& form, const char* name)
{
    TResourceStream resource(GetModuleHandleA(nullptr), name, kLayoutResourceType);
    std::string text(static_cast<const char*>(resource.Memory()),
                     static_cast<size_t>(resource.Size()));
    ReadLayout(form, text, name);
}

TLayoutReader::TLayoutReader(TForm& form, std::string layoutName)
    : form_(form), context_(form, std::move(layoutName))
{
}

void TLayoutReader::Read(const std::string& text)
{
    std::vector<TLayoutBlock> blocks = ParseLayout(text, context_.LayoutName());
    if (blocks.empty() || blocks.front().kind != kFormKeyword)
        context_.Fail(SLayoutNoForm, {});

    form_.BeginLoading();
    loading_.push_back(&form_);
    ReadForm(blocks.front());
    for (size_t i = 1; i < blocks.size(); ++i)
        loading_.push_back(ReadComponent(blocks[i]));
    context_.RunDeferred();

    std::vector<std::string> unbound = form_.UnboundFields();
    if (!unbound.empty())
        context_.Fail(SLayoutMissingComponent, {unbound.front()});

    // Every component's properties are in: now each may act on them (the form last).
    for (size_t i = 1; i < loading_.size(); ++i)
        loading_[i]->EndLoading();
    form_.EndLoading();
}

void TLayoutReader::ReadForm(const TLayoutBlock& block)
{
    const TLayoutKind* kind = TLayoutRegistry::Instance().Find("TForm");
    form_.SetName(block.name);
    ApplyProperties(form_, *kind, block, TPropertyFilter::All);
}

TComponent* TLayoutReader::ReadComponent(const TLayoutBlock& block)
{
    std::string line = std::to_string(block.line);
    const TLayoutKind* kind = TLayoutRegistry::Instance().Find(block.kind);
    if (!kind || !kind->CanCreate())
        context_.Fail(SLayoutUnknownKind, {line, block.kind});
    if (block.name == form_.Name() || form_.FindComponent(block.name))
        context_.Fail(SLayoutDuplicateName, {line, block.name});

    TComponent* component = kind->Create(&form_);
    component->SetName(block.name);
    component->BeginLoading();
    if (!form_.BindField(block.name, component))
        context_.Fail(SLayoutWrongKind, {line, block.name});
    if (auto* control = dynamic_cast<TControl*>(component))
        control->SetParent(&form_);
    ApplyProperties(*component, *kind, block, TPropertyFilter::ParentOnly);
    ApplyProperties(*component, *kind, block, TPropertyFilter::ExceptParent);
    return component;
}

// The parent goes first, so that every other property already acts inside it.
void TLayoutReader::ApplyProperties(TComponent& target, const TLayoutKind& kind,
                                    const TLayoutBlock& block, TPropertyFilter filter)
{
    for (const TLayoutProperty& property : block.properties) {
        bool isParent = property.name == kParentProperty;
        if ((filter == TPropertyFilter::ParentOnly && !isParent)
            || (filter == TPropertyFilter::ExceptParent && isParent))
            continue;
        context_.SetPosition(property.line, property.name);
        const TLayoutSetter* setter = kind.FindProperty(property.name);
        if (!setter)
            context_.Fail(SLayoutUnknownProperty,
                          {std::to_string(property.line), block.kind, property.name});
        (*setter)(target, property.value, context_);
    }
}
