// QTEST_MAIN for widget tests, with the leak check of sanitizer builds made
// before the application object goes (see app/LeakCheck.h). The known leaks
// of system libraries are listed in tests/lsan.supp.
#pragma once

#include "app/LeakCheck.h"

#define TRIVIEW_QTEST_MAIN(TestClass)                                                              \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        QApplication app(argc, argv);                                                              \
        TestClass test;                                                                            \
        const int result = QTest::qExec(&test, argc, argv);                                        \
        triview::checkLeaksBeforeTeardown();                                                       \
        return result;                                                                             \
    }
