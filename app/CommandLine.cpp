#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <cmath>

namespace triview {

namespace {

constexpr const char* kUsage
    = "usage: triview [--render OUT.png [--size WxH] [--distance N] [--turn AXIS:ANGLE]] [FILE]\n";

// The argument as it was given: file names are bytes, not always UTF-8.
std::string rawArgument(int argc, char* argv[], const QString& decoded)
{
    for (int i = argc - 1; i > 0; --i)
        if (QString::fromLocal8Bit(argv[i]) == decoded)
            return argv[i];
    return decoded.toStdString();
}

} // namespace

CommandLine parseCommandLine(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Shows a 3D triangle model from a tri file, or writes its picture with no window."));
    parser.addPositionalArgument(QStringLiteral("FILE"),
        QStringLiteral("The tri model to open, as if typed in the start dialog. Without it "
                       "the window asks for one, and --render draws the demonstration model."),
        QStringLiteral("[FILE]"));
    const QCommandLineOption help({ "h", "help" }, QStringLiteral("Shows this help."));
    const QCommandLineOption version({ "v", "version" }, QStringLiteral("Shows the version."));
    const QCommandLineOption render(QStringLiteral("render"),
        QStringLiteral("Writes the picture the window would show to OUT.png, with no window "
                       "and no dialog (and no display needed)."),
        QStringLiteral("OUT.png"));
    const QCommandLineOption size(QStringLiteral("size"),
        QStringLiteral("The picture's size in pixels, 1 to 16384 a side (the window's, "
                       "633x601, by default)."),
        QStringLiteral("WxH"));
    const QCommandLineOption distance(QStringLiteral("distance"),
        QStringLiteral("The camera's distance, the scroll bar's 1 (nearest) to 15 (8 by default)."),
        QStringLiteral("N"));
    const QCommandLineOption turn(QStringLiteral("turn"),
        QStringLiteral("A turn as the buttons make it: about x, y or z by ANGLE, which a press of "
                       "+ raises by 0.1 (y:0.6 is six presses of Y's +). None by default."),
        QStringLiteral("AXIS:ANGLE"));
    parser.addOptions({ help, version, render, size, distance, turn });

    CommandLine line;
    const auto usage = [&](const QString& why) {
        line.action = CommandLine::Action::Usage;
        line.text = "triview: " + why.toStdString() + "\n" + kUsage;
        return line;
    };
    if (!parser.parse(arguments))
        return usage(parser.errorText());
    if (parser.isSet(help)) {
        line.action = CommandLine::Action::Help;
        line.text = parser.helpText().replace("<executable_name>", "triview").toStdString();
        return line;
    }
    if (parser.isSet(version)) {
        line.action = CommandLine::Action::Version;
        line.text = "triview " TRIVIEW_VERSION "\n";
        return line;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return usage(QStringLiteral("one FILE at most"));
    if (files.size() == 1)
        line.file = rawArgument(argc, argv, files.front());
    if (!parser.isSet(render)) {
        if (parser.isSet(size) || parser.isSet(distance) || parser.isSet(turn))
            return usage(QStringLiteral("--size, --distance and --turn go with --render"));
        return line;
    }

    line.action = CommandLine::Action::Render;
    line.output = rawArgument(argc, argv, parser.value(render));
    if (parser.isSet(size)) {
        const auto match = QRegularExpression(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"))
                               .match(parser.value(size));
        line.size = QSize(match.captured(1).toInt(), match.captured(2).toInt());
        if (!match.hasMatch() || line.size.width() < 1 || line.size.height() < 1
            || line.size.width() > 16384 || line.size.height() > 16384)
            return usage(QStringLiteral("--size takes WxH, 1 to 16384 a side"));
    }
    if (parser.isSet(distance)) {
        bool number = false;
        const int value = parser.value(distance).toInt(&number);
        if (!number || value < 1 || value > 15)
            return usage(QStringLiteral("--distance takes 1 to 15"));
        line.distance = static_cast<std::int16_t>(value);
    }
    if (parser.isSet(turn)) {
        const auto match
            = QRegularExpression(QStringLiteral("^([xyz]):(.+)$")).match(parser.value(turn));
        bool number = false;
        line.angle = match.captured(2).toFloat(&number);
        if (!match.hasMatch() || !number || !std::isfinite(line.angle))
            return usage(QStringLiteral("--turn takes x, y or z, a colon and an angle"));
        const QChar axis = match.captured(1).front();
        line.axis = { float(axis == 'x'), float(axis == 'y'), float(axis == 'z') };
    }
    return line;
}

} // namespace triview
