// The component kinds that layouts may name, with their properties.
#include "framework/layout/LayoutRegistry.h"

void RegisterStandardKinds();  // LayoutKinds.cpp

TLayoutKind::TLayoutKind(std::string name, const TLayoutKind* base, TComponentFactory factory)
    : name_(std::move(name)), base_(base), factory_(std::move(factory))
{
}

const TLayoutSetter* TLayoutKind::FindProperty(const std::string& name) const
{
    for (const TLayoutKind* k = this; k; k = k->base_) {
        auto it = k->properties_.find(name);
        if (it != k->properties_.end())
            return &it->second;
    }
    return nullptr;
}

void TLayoutKind::AddProperty(const std::string& name, TLayoutSetter setter)
{
    properties_[name] = std::move(setter);
}

TLayoutRegistry& TLayoutRegistry::Instance()
{
    static TLayoutRegistry* registry = nullptr;
    if (!registry) {
        registry = new TLayoutRegistry;  // lives as long as the process
        RegisterStandardKinds();
    }
    return *registry;
}

TLayoutKind& TLayoutRegistry::Register(const std::string& name, const std::string& baseName,
                                       TComponentFactory factory)
{
    auto it = kinds_.find(name);
    if (it != kinds_.end())
        return *it->second;
    const TLayoutKind* base = baseName.empty() ? nullptr : Find(baseName);
    if (!baseName.empty() && !base)
        throw EInvalidOperation("layout kind " + name + ": base kind " + baseName
                                + " is not registered");
    auto kind = std::make_unique<TLayoutKind>(name, base, std::move(factory));
    TLayoutKind& result = *kind;
    kinds_[name] = std::move(kind);
    return result;
}

const TLayoutKind* TLayoutRegistry::Find(const std::string& name) const
{
    auto it = kinds_.find(name);
    return it == kinds_.end() ? nullptr : it->second.get();
}
