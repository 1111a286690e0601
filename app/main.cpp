// triview: shows a 3D triangle model from a tri file, turning it on request.
#include "app/Form1.h"
#include "app/LeakCheck.h"
#include "app/QtRuntimeServices.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("triview"));
    // Ending is the window's decision (its unload handler), not Qt's.
    QApplication::setQuitOnLastWindowClosed(false);

    triview::QtRuntimeServices runtime;
    triview::Form1 form(runtime);
    QObject::connect(&form, &triview::Form1::programEnded, &app,
        [](int status) { QCoreApplication::exit(status); });
    form.load();
    const int status = form.ended() ? form.exitStatus() : QApplication::exec();
    triview::checkLeaksBeforeTeardown();
    return status;
}
