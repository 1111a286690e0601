// GoogleTest main for tests that need a Qt application: OpenGL contexts,
// screens, fonts; with TRIVIEW_WIDGETS, widgets and dialogs too. In
// sanitizer builds leaks are looked for while the application still lives
// (see app/LeakCheck.h); tests/lsan.supp names the system libraries' own.
#include "app/LeakCheck.h"

#include <gtest/gtest.h>
#ifdef TRIVIEW_WIDGETS
#include <QApplication>
using Application = QApplication;
#else
#include <QGuiApplication>
using Application = QGuiApplication;
#endif

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    Application app(argc, argv);
    const int result = RUN_ALL_TESTS();
    triview::checkLeaksBeforeTeardown();
    return result;
}
