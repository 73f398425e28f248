#include "core/Component.h"

#include <algorithm>

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
    destroying_ = true;
    // Those holding a reference forget it. The list is copied: a receiver may
    // remove itself while being told.
    const std::vector<TComponent*> notifies = freeNotifies_;
    freeNotifies_.clear();
    for (TComponent* other : notifies) {
        other->RemoveFreeNotification(this);
        other->Notification(this, TOperation::opRemove);
    }
    DestroyComponents();
    if (owner_) owner_->RemoveComponent(this);
}

void TComponent::Free(TComponent* component) {
    if (!component) return;
    component->BeforeDestruction();
    delete component;
}

void TComponent::BeforeDestruction() { destroying_ = true; }

TComponent* TComponent::FindComponent(std::string_view name) const {
    for (TComponent* c : components_) {
        if (!name.empty() && c->name_ == name) return c;
    }
    return nullptr;
}

void TComponent::BeginLoading() {
    loading_ = true;
    for (TComponent* c : components_) c->BeginLoading();
}

void TComponent::Loaded() { loading_ = false; }

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove && component) RemoveFreeNotification(component);
    // Owned components hear about their siblings, as a form's components
    // hear about each other. A receiver may insert or remove components while
    // it is told; one removed meanwhile is not told. Only then is each one
    // looked up again: an owner of thousands (a menu's items) hears of each
    // insertion in one pass over them.
    const std::vector<TComponent*> owned = components_;
    const uint64_t changes = changes_;
    for (TComponent* c : owned) {
        if (changes_ != changes &&
            std::find(components_.begin(), components_.end(), c) == components_.end()) {
            continue;
        }
        c->Notification(component, operation);
    }
}

void TComponent::FreeNotification(TComponent* component) {
    if (!component || component == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end()) {
        freeNotifies_.push_back(component);
        component->FreeNotification(this);
    }
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), component),
                        freeNotifies_.end());
}

void TComponent::InsertComponent(TComponent* component) {
    if (component->owner_) component->owner_->RemoveComponent(component);
    components_.push_back(component);
    ++changes_;
    component->owner_ = this;
    Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    Notification(component, TOperation::opRemove);
    components_.erase(std::remove(components_.begin(), components_.end(), component), components_.end());
    ++changes_;
    component->owner_ = nullptr;
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) {
        TComponent* last = components_.back();
        RemoveComponent(last);
        Free(last);
    }
}
