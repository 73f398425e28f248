// Pointers and handles that Win32 hands over in integer types: a message's
// WPARAM and LPARAM, a window's GWLP_USERDATA and GWLP_WNDPROC (LONG_PTR), an
// enumeration callback's context, SHGetFileInfoW's DWORD_PTR result. Those
// integers are the platform's carriers for the pointer (they are as wide as
// one), and no call hands it over as a pointer: turning the integer back is
// the one way to it, done here.
#pragma once

#include <type_traits>

template <class Pointer, class Integer>
Pointer CarriedPointer(Integer value) {
    static_assert(
        std::is_pointer_v<Pointer> && std::is_integral_v<Integer> && sizeof(Integer) == sizeof(void*),
        "a pointer carried in an integer as wide as a pointer");
    // clang-tidy's performance-no-int-to-ptr asks for pointers to stay
    // pointers, so that the optimiser can see where they come from; the
    // platform leaves no such choice here, where the integer is its interface.
    return reinterpret_cast<Pointer>(value);  // NOLINT(performance-no-int-to-ptr)
}
