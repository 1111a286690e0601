// GoogleTest main for tests that need a Qt GUI application (OpenGL contexts,
// screens, fonts).
#include <QGuiApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
