#pragma once
#include <string>
#include <vector>

#include "Object.h"

namespace forms {

// A component with an owner that destroys what it owns, last created first.
class TComponent : public TPersistent {
    FORMS_CLASS(TComponent)
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    const std::vector<TComponent*>& Components() const { return components_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* FindComponent(const std::string& name) const;

    std::string Name;
    int64_t Tag = 0;
    void SetName(const std::string& name) { Name = name; }
    void SetTag(int64_t tag) { Tag = tag; }

    // Called once a layout has applied all its properties.
    virtual void Loaded() {}
    bool Loading() const { return loading_; }
    void SetLoading(bool loading) { loading_ = loading; }

    void InsertComponent(TComponent* c);
    void RemoveComponent(TComponent* c);

private:
    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    bool loading_ = false;
};

}  // namespace forms
