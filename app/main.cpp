// triview: shows a 3D triangle model from a tri file, turning it on request.
#include "app/Form1.h"
#include "app/LeakCheck.h"
#include "app/QtRuntimeServices.h"

#include <QApplication>
#include <QScreen>
#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("triview"));
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
    triview::Form1 form(runtime);
    QObject::connect(&form, &triview::Form1::programEnded, &app,
        [](int status) { QCoreApplication::exit(status); });
    form.load();
    const int status = form.ended() ? form.exitStatus() : QApplication::exec();
    triview::checkLeaksBeforeTeardown();
    return status;
}
