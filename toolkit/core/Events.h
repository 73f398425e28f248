// Event slots: an object plus one of its methods. Empty by default, fired only
// when assigned, and comparable, so that a program can keep a mode in a slot
// (which handler it holds) and re-point it at run time.
#pragma once

#include <cstddef>
#include <cstring>

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
};

template <class... Args>
class TEvent {
public:
    TEvent() = default;
    TEvent(std::nullptr_t) {}

    template <class T>
    TEvent(T* object, void (T::*method)(Args...)) : object_(object), invoke_(&Invoke<T>) {
        static_assert(sizeof(method) <= sizeof(method_), "member pointer too large for a slot");
        std::memcpy(method_, &method, sizeof(method));
    }

    bool Assigned() const { return invoke_ != nullptr; }
    explicit operator bool() const { return Assigned(); }
    // The object the slot calls into (nullptr when empty).
    void* Object() const { return object_; }

    // Calls the method; an empty slot does nothing.
    void operator()(Args... args) const {
        if (invoke_) invoke_(object_, method_, args...);
    }

    friend bool operator==(const TEvent& a, const TEvent& b) {
        return a.object_ == b.object_ && a.invoke_ == b.invoke_ &&
               std::memcmp(a.method_, b.method_, sizeof(a.method_)) == 0;
    }
    friend bool operator!=(const TEvent& a, const TEvent& b) { return !(a == b); }

private:
    using Invoker = void (*)(void*, const unsigned char*, Args...);

    template <class T>
    static void Invoke(void* object, const unsigned char* method, Args... args) {
        void (T::*m)(Args...);
        std::memcpy(&m, method, sizeof(m));
        (static_cast<T*>(object)->*m)(args...);
    }

    void* object_ = nullptr;
    Invoker invoke_ = nullptr;
    // Member function pointers are one or two words (up to four under MSVC's
    // virtual inheritance); the bytes are kept as stored for comparison.
    alignas(void*) unsigned char method_[4 * sizeof(void*)] = {};
};

using TNotifyEvent = TEvent<TObject*>;
