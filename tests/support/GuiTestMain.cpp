// GoogleTest main for tests that need a Qt GUI application (OpenGL contexts,
// screens, fonts).
#include "app/LeakCheck.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    QGuiApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    triview::checkLeaksBeforeTeardown();
    return result;
}
