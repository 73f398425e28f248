// One never-shown "TPUtilWindow" shared by every instance of a kind of object
// (the tray icons, the simple timers). The first instance to join creates it,
// the last to leave destroys it, and the process's end destroys one still
// alive. Each instance gets a small identifier that the platform hands back in
// messages (a tray icon's uID, a timer's id); since any process can post such
// a message, an identifier is only ever looked up among the live instances,
// never taken as an address. Identifiers are not reused, so a message that
// arrives after its instance has gone names nothing.
#pragma once

#include <windows.h>

#include <memory>
#include <utility>
#include <vector>

#include "win/Window.h"

class TSharedWindowBase {
public:
    using Handler = TUtilWindow::Handler;

    explicit TSharedWindowBase(Handler handler);
    TSharedWindowBase(const TSharedWindowBase&) = delete;
    TSharedWindowBase& operator=(const TSharedWindowBase&) = delete;
    ~TSharedWindowBase();

    // The window while at least one instance has joined, else nullptr.
    HWND Window() const { return window_ ? window_->Handle() : nullptr; }
    unsigned RefCount() const { return static_cast<unsigned>(live_.size()); }

protected:
    UINT_PTR JoinInstance(void* instance);
    void LeaveInstance(UINT_PTR id);
    void* FindInstance(UINT_PTR id) const;

private:
    Handler handler_;
    std::unique_ptr<TUtilWindow> window_;
    // (identifier, instance), in the order they joined: a handful at most.
    std::vector<std::pair<UINT_PTR, void*>> live_;
    UINT_PTR nextId_ = 1;
};

template <class Instance>
class TSharedWindow : public TSharedWindowBase {
public:
    using TSharedWindowBase::TSharedWindowBase;

    // Adds a live instance (creating the window for the first) and returns
    // its identifier.
    UINT_PTR Join(Instance* instance) { return JoinInstance(instance); }
    // Forgets the instance; the last one to leave destroys the window.
    void Leave(UINT_PTR id) { LeaveInstance(id); }
    // The live instance with this identifier, or nullptr.
    Instance* Find(UINT_PTR id) const { return static_cast<Instance*>(FindInstance(id)); }
};
