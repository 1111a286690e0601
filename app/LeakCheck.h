// In builds with LeakSanitizer, looks for leaks while the application
// object still lives: at exit the X connection is closed and the OpenGL
// driver unloaded, and what the driver leaks while unloading could no
// longer be told apart from leaks of ours. Does nothing in other builds.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace triview {

inline void checkLeaksBeforeTeardown()
{
#if defined(__SANITIZE_ADDRESS__)
    __lsan_do_leak_check(); // runs once; the check at exit is then skipped
#endif
}

} // namespace triview
