#include "framework/core/Component.h"

#include <algorithm>

TComponent::TComponent(TComponent* owner) : owner_(owner)
{
    if (owner_) {
        designing_ = owner_->designing_;
        owner_->Insert(this);
    }
}

TComponent::~TComponent()
{
    // Newest first, so components made from others go before what they were made from.
    while (!components_.empty())
        delete components_.back();
    if (owner_)
        owner_->Remove(this);
}

TComponent* TComponent::FindComponent(const std::string& name) const
{
    for (TComponent* c : components_)
        if (c->name_ == name)
            return c;
    return nullptr;
}

void TComponent::SetDesigning(bool designing)
{
    designing_ = designing;
    for (TComponent* c : components_)
        c->SetDesigning(designing);
}

void TComponent::BeginLoading()
{
    loading_ = true;
}

void TComponent::EndLoading()
{
    if (!loading_)
        return;
    loading_ = false;
    Loaded();
}

void TComponent::Insert(TComponent* child)
{
    components_.push_back(child);
}

void TComponent::Remove(TComponent* child)
{
    components_.erase(std::remove(components_.begin(), components_.end(), child), components_.end());
}
