// triview: shows a 3D triangle model from a tri file, turning it on request;
// or, with --render, writes its picture with no window and no display.
#include "app/CommandLine.h"
#include "app/Form1.h"
#include "app/LeakCheck.h"
#include "app/QtRuntimeServices.h"
#include "app/RenderPicture.h"
#include "render/GlContext.h"

#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <cstdio>
#include <memory>
#include <xcb/xcb.h>

namespace {

// Whether Qt will find a display: a platform named outright, or an X server
// that answers. Qt itself would abort, with a core dump, on a missing one.
bool displayReachable()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")
        || qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        return true;
    xcb_connection_t* const connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reachable;
}

int window(const triview::CommandLine& line, int argc, char* argv[])
{
    if (!displayReachable()) {
        std::fputs(
            "triview needs a display; to write a picture without one, use --render\n", stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("triview"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/triview.png")));
    // Ending is the window's decision (its unload handler), not Qt's.
    QApplication::setQuitOnLastWindowClosed(false);

    // Qt's widgets crash painting on a screen of fewer than 15 bits a pixel:
    // say so before any dialog.
    const int depth
        = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->depth() : 0;
    if (depth < 15) {
        std::fprintf(
            stderr, "triview needs a screen of 15 bits a pixel or more; this one has %d\n", depth);
        return 1;
    }

    triview::QtRuntimeServices runtime;
    if (line.file)
        runtime.answerFirstInputBox(*line.file);
    triview::Form1 form(runtime);
    QObject::connect(&form, &triview::Form1::programEnded, &app,
        [](int status) { QCoreApplication::exit(status); });
    form.load();
    const int status = form.ended() ? form.exitStatus() : QApplication::exec();
    triview::checkLeaksBeforeTeardown();
    return status;
}

} // namespace

int main(int argc, char* argv[])
{
    const triview::CommandLine line = triview::parseCommandLine(argc, argv);
    switch (line.action) {
    case triview::CommandLine::Action::Help:
    case triview::CommandLine::Action::Version:
        std::fputs(line.text.c_str(), stdout);
        return 0;
    case triview::CommandLine::Action::Usage:
        std::fputs(line.text.c_str(), stderr);
        return 2;
    case triview::CommandLine::Action::Render: {
        // EGL draws with no display; where it cannot, the window system's
        // OpenGL may, through a Qt application on the display.
        std::unique_ptr<QGuiApplication> windowSystem;
        if (!triview::GlContext::eglAvailable() && displayReachable())
            windowSystem = std::make_unique<QGuiApplication>(argc, argv);
        return triview::renderPicture(line);
    }
    case triview::CommandLine::Action::Window:
        break;
    }
    return window(line, argc, argv);
}
