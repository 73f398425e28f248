// MinGW-w64 builds only: the handler std::terminate calls by default.
//
// libstdc++'s default is its verbose terminate handler, which prints the
// name of the active exception's type to the standard error stream before
// aborting. Naming the type links the whole C++ demangler and stdio's
// formatted output (about 70 KB of the program), and a GUI program under
// Windows has no standard error stream to print to. Brivane catches every
// exception at the boundary of each window procedure and timer callback, so
// reaching std::terminate is already a fault; aborting without the message
// loses nothing a user could see.
//
// The definition below takes the place of the library's own: the linker
// finds the function here and never pulls the library's version, nor what
// it needs, out of the static library. It can't be dropped by
// --gc-sections alone, because std::set_terminate refers to it and the
// x64 unwind tables keep every function they describe.
// __GLIBCXX__ comes from the library's own headers, so they are included
// before it is tested; MSVC's runtime has no such handler.
#include <cstdlib>
#include <exception>

#if defined(__GLIBCXX__)
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
#endif
