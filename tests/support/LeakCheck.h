// Under LeakSanitizer, checks for leaks while the application object still
// lives: at exit the X connection is closed and the OpenGL driver unloaded,
// and leaks inside it could no longer be told apart from ours. The known
// leaks of the system's libraries are listed in tests/lsan.supp.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace triview::test {

inline void checkLeaksNow()
{
#if defined(__SANITIZE_ADDRESS__)
    __lsan_do_leak_check(); // runs once; the check at exit is then skipped
#endif
}

} // namespace triview::test

// QTEST_MAIN for widget tests, with the leak check before the application
// object goes.
#define TRIVIEW_QTEST_MAIN(TestClass)                                                              \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestClass test;                                                                            \
        const int result = QTest::qExec(&test, argc, argv);                                        \
        triview::test::checkLeaksNow();                                                            \
        return result;                                                                             \
    }
