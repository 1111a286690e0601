// KDE's thumbnail plugin for tri models on KDE Frameworks 5 (Plasma 5), whose
// thumbnail worker is Qt 5: it runs triview-thumbnailer, as the freedesktop
// thumbnailer entry does, so both give the same picture, a model that crashes the program cannot
// take the worker down with it, and one that hangs is given up. (Built for Frameworks 6 too, for
// the benchmark that times it beside the plugin that draws in process.)
#include <KIO/ThumbnailCreator>
#include <KPluginFactory>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <dlfcn.h>

namespace {

// A model on a hung file system is given up after this long, so that the
// worker goes on to the next file.
constexpr int kTimeoutMs = 30000;

// The triview-thumbnailer installed with this plugin, never another one on
// PATH (where "." would run whatever the worker's folder holds):
// TRIVIEW_PROGRAM, taken from the plugin's own folder where it is relative,
// so that it holds under any installation prefix.
QString installedProgram()
{
    const QString program = QStringLiteral(TRIVIEW_PROGRAM);
    Dl_info plugin {};
    if (QDir::isAbsolutePath(program)
        || ::dladdr(reinterpret_cast<void*>(&installedProgram), &plugin) == 0
        || plugin.dli_fname == nullptr)
        return program;
    return QDir::cleanPath(
        QFileInfo(QFile::decodeName(plugin.dli_fname)).absoluteDir().filePath(program));
}

class TriThumbnailCreator final : public KIO::ThumbnailCreator
{
    Q_OBJECT

public:
    TriThumbnailCreator(QObject* parent, const QVariantList& args)
        : KIO::ThumbnailCreator(parent, args)
    { }

    KIO::ThumbnailResult create(const KIO::ThumbnailRequest& request) override
    {
        const QString file = request.url().toLocalFile();
        const QSize size = request.targetSize();
        const QString program = installedProgram();
        if (file.isEmpty() || size.isEmpty() || !QFileInfo(program).isExecutable())
            return KIO::ThumbnailResult::fail();

        QProcess render;
        render.setProgram(program);
        render.setArguments(
            { QStringLiteral("-s"), QStringLiteral("%1x%2").arg(size.width()).arg(size.height()),
                QStringLiteral("--"), file, QStringLiteral("-") });
        render.setStandardInputFile(QProcess::nullDevice());
        // Why a model has no thumbnail goes where the worker's own messages go.
        render.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        render.start();
        if (!render.waitForFinished(kTimeoutMs)) {
            render.kill();
            render.waitForFinished();
            return KIO::ThumbnailResult::fail();
        }
        if (render.exitStatus() != QProcess::NormalExit || render.exitCode() != 0)
            return KIO::ThumbnailResult::fail();
        QImage picture;
        if (!picture.loadFromData(render.readAllStandardOutput(), "PNG"))
            return KIO::ThumbnailResult::fail();
        return KIO::ThumbnailResult::pass(picture);
    }
};

} // namespace

K_PLUGIN_CLASS_WITH_JSON(TriThumbnailCreator, "triviewthumbnail.json")

#include "TriThumbnailCreator.moc"
