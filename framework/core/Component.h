#pragma once
// Components: named objects with an owner. An owner destroys the components it owns when it is
// destroyed itself; a component that is destroyed first leaves its owner's list.
#include "framework/core/Object.h"

#include <string>
#include <vector>

class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    ZA2_CLASS_NAME(TComponent)

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Component(int index) const { return components_.at(index); }
    TComponent* FindComponent(const std::string& name) const;

    // Design mode: the component is being edited, not run; it must not act by itself.
    bool Designing() const { return designing_; }
    void SetDesigning(bool designing);

    // While a layout is read, the component's stored properties arrive one by one; Loaded() is
    // called once after all of them have been set (setters may defer work to it).
    bool Loading() const { return loading_; }
    void BeginLoading();
    void EndLoading();

protected:
    virtual void Loaded() {}

private:
    void Insert(TComponent* child);
    void Remove(TComponent* child);

    TComponent* owner_;
    std::string name_;
    std::vector<TComponent*> components_;
    bool designing_ = false;
    bool loading_ = false;
};
