// triview-window: triview's window, which shows a 3D triangle model from a
// tri file and turns it on request, and --render, which writes its picture
// with no window and no display: what needs Qt. triview (main.cpp) becomes
// this program for them.
#include "app/CommandLine.h"
#include "app/ConsoleCommands.h"
#include "app/LeakCheck.h"
#include "picture/RenderPicture.h"
#include "render/gl/GlContext.h"
#include "render/gl/GlDevice.h"
#include "window/DisplayProbe.h"
#include "window/Form1.h"
#include "window/PictureEncoder.h"
#include "window/QtRuntimeServices.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QScreen>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <unistd.h>

namespace {

// Qt is given only the program's name: the arguments are triview's, and a
// FILE after "--" is a file even when it looks like one of Qt's options.
// Qt's settings stay reachable through their environment variables.
struct QtArguments
{
    explicit QtArguments(char* program)
        : argv { program, nullptr }
    { }
    int argc = 1;
    char* argv[2];
};

// Points Qt at the platform the probe found, or says there is none.
bool usePlatform(const triview::DisplayProbe& probe, const char* without)
{
    if (probe.platform().empty()) {
        std::fprintf(stderr, "%s (%s)\n", without, probe.problem().c_str());
        return false;
    }
    qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(probe.platform()));
    if (const std::string decoration = triview::waylandDecoration();
        probe.platform().starts_with("wayland") && !decoration.empty())
        qputenv("QT_WAYLAND_DECORATION", QByteArray::fromStdString(decoration));
    return true;
}

int window(const triview::CommandLine& line, char* program)
{
    auto display = std::make_optional<triview::DisplayProbe>();
    if (!usePlatform(
            *display, "triview needs a display; to write a picture without one, use --render"))
        return 1;
    QtArguments arguments(program);
    QApplication app(arguments.argc, arguments.argv);
    display.reset();
    // What Qt itself shows (the input box's edit menu) in the window's
    // language too, where the translation is installed.
    QTranslator qtTexts;
    if (qtTexts.load(
            QStringLiteral("qtbase_zh_TW"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    QApplication::setApplicationName(QStringLiteral("triview"));
    // The desktop entry (its icon, its name) on Wayland, where the window's
    // app_id names it, whatever the program file is called.
    QGuiApplication::setDesktopFileName(QStringLiteral("triview"));
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
    runtime.setWindow(&form);
    if (line.watch)
        form.followModelFile();
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
    const bool outputOpen = triview::keepStandardDescriptors();
    const triview::CommandLine line
        = triview::parseCommandLine(argc, argv, triview::writableFormats);
    if (const auto status = triview::runWithoutWindow(line, outputOpen))
        return *status;
    if (line.action == triview::CommandLine::Action::Window)
        return window(line, argv[0]);

    if (line.output == "-" && !outputOpen) {
        std::fputs("triview: standard output is closed; name a file for the picture\n", stderr);
        return 2;
    }
    // EGL draws with no display; where it cannot, the window system's
    // OpenGL may, through a Qt application on the display. Software needs
    // neither.
    std::unique_ptr<QGuiApplication> windowSystem;
    QtArguments arguments(argv[0]);
    if (line.deviceType == triview::D3DDEVTYPE_HAL && !triview::GlContext::eglAvailable()) {
        const triview::DisplayProbe display;
        if (!usePlatform(display,
                "triview: EGL gives no OpenGL 3.3 here, and the window system's needs a display"))
            return 1;
        windowSystem = std::make_unique<QGuiApplication>(arguments.argc, arguments.argv);
    }
    // Releasing the device and the driver's context only costs time when the
    // process ends anyway: the view is never destroyed.
    triview::ModelView view(triview::newDirectX8);
    const auto failure = triview::renderPicture(
        triview::pictureRequest(line), line.output, line.format, triview::makePictureEncoder, view);
    if (failure)
        std::fprintf(stderr, "%s\n", failure->message.c_str());
    triview::checkLeaksBeforeTeardown();
    std::fflush(nullptr);
    std::_Exit(failure ? failure->exitStatus : 0);
}
