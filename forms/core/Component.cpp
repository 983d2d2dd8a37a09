#include "Component.h"

#include <algorithm>

namespace forms {

const TClassInfo& TComponent::StaticClass() {
    static const TClassInfo info = ClassBuilder<TComponent>("TComponent", &TPersistent::StaticClass())
                                       .String("Name", &TComponent::SetName)
                                       .Reads(&TComponent::Name)
                                       .Int<int64_t>("Tag", &TComponent::SetTag)
                                       .Reads(&TComponent::Tag)
                                       .Build();
    return info;
}

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    while (!components_.empty()) {
        TComponent* last = components_.back();
        components_.pop_back();
        last->owner_ = nullptr;
        delete last;
    }
    if (owner_) owner_->RemoveComponent(this);
}

void TComponent::InsertComponent(TComponent* c) {
    if (c->owner_) c->owner_->RemoveComponent(c);
    components_.push_back(c);
    c->owner_ = this;
}

void TComponent::RemoveComponent(TComponent* c) {
    auto it = std::find(components_.begin(), components_.end(), c);
    if (it != components_.end()) components_.erase(it);
    c->owner_ = nullptr;
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    for (TComponent* c : components_)
        if (c->Name == name) return c;
    return nullptr;
}

}  // namespace forms
