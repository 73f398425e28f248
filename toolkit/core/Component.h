// Components: an owner tree in which owners destroy what they own, a name,
// a loading flag, an after-loading step and removal notices for those that
// hold references to a component.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Events.h"

enum class TOperation { opInsert, opRemove };

class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    // Destroys a component the way owners do: BeforeDestruction runs while
    // the whole object still exists, then the object is deleted.
    static void Free(TComponent* component);

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const { return components_.at(static_cast<size_t>(index)); }
    TComponent* FindComponent(std::string_view name) const;

    bool Loading() const { return loading_; }
    bool Destroying() const { return destroying_; }
    // Marks the component (and what it owns) as being read from a stored
    // description; Loaded clears the flag again.
    void BeginLoading();

    // Runs once the stored description has been read and references resolved.
    virtual void Loaded();
    // Told when a component that this one may refer to is inserted or removed.
    virtual void Notification(TComponent* component, TOperation operation);

    // Asks for a removal notice when `component` goes away, though it is
    // not owned by this component's owner.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    // Destroys owned components, last created first.
    void DestroyComponents();

protected:
    virtual void BeforeDestruction();

private:
    TComponent* owner_ = nullptr;
    std::string name_;
    std::vector<TComponent*> components_;
    uint64_t changes_ = 0;  // insertions and removals in components_
    std::vector<TComponent*> freeNotifies_;
    bool loading_ = false;
    bool destroying_ = false;
};

// unique_ptr-style holder for components that have no owner (tests, the
// application's forms).
template <class T>
class TOwned {
public:
    TOwned() = default;
    explicit TOwned(T* component) : component_(component) {}
    TOwned(TOwned&& other) noexcept : component_(other.Release()) {}
    TOwned& operator=(TOwned&& other) noexcept {
        Reset(other.Release());
        return *this;
    }
    ~TOwned() { Reset(); }
    T* Get() const { return component_; }
    T* operator->() const { return component_; }
    T& operator*() const { return *component_; }
    explicit operator bool() const { return component_ != nullptr; }
    T* Release() {
        T* c = component_;
        component_ = nullptr;
        return c;
    }
    void Reset(T* component = nullptr) {
        T* old = component_;
        component_ = component;
        if (old) TComponent::Free(old);
    }

private:
    T* component_ = nullptr;
};
