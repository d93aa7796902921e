// What std::terminate does by default, replaced: the C++ runtime's own default
// prints the pending exception's demangled type to standard error, which a
// windows program does not have, and brings a demangler some 45 KB large.
// Linked straight into each program (not from a library), so the runtime's
// definition is never pulled in beside it.
#include <cstdlib>
#include <exception>

#if defined(__GLIBCXX__)
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
}  // namespace __gnu_cxx
#endif
