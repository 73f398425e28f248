// Owners of what COM and the shell hand out, beside the handle owners of
// Handles.h: an interface pointer released once, and an item identifier list
// freed with the COM task allocator.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <memory>

// A COM interface pointer, released when it goes.
template <class Interface>
class TComRef {
public:
    TComRef() = default;
    TComRef(const TComRef&) = delete;
    TComRef& operator=(const TComRef&) = delete;
    ~TComRef() { Reset(); }

    Interface* operator->() const { return pointer_; }
    Interface* Get() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    // The out-parameter for a call that hands back a new reference.
    Interface** Receive() {
        Reset();
        return &pointer_;
    }
    void Reset() {
        if (pointer_) pointer_->Release();
        pointer_ = nullptr;
    }

private:
    Interface* pointer_ = nullptr;
};

// An item identifier list from the shell, freed as the shell says (ILFree:
// the COM task allocator's free, without importing ole32 for it).
struct TPidlFree {
    void operator()(ITEMIDLIST* pidl) const { ILFree(pidl); }
};
using TUniquePidl = std::unique_ptr<ITEMIDLIST, TPidlFree>;
