// Asks KIO for previews as Dolphin does: one KIO::PreviewJob over the files
// named, through KIO's thumbnail worker, with the plugins named enabled.
// First prints each of those plugins as Dolphin's settings list them,
// "plugin ID: NAME for MIMETYPES". Then writes each preview to OUTDIR as the
// file's name plus .png, and prints a line per file, "preview NAME WxH" or
// "failed NAME", then the time taken.
// usage: preview_job OUTDIR SIZE PLUGIN[,PLUGIN...] FILE...
#include <KFileItem>
#include <KIO/PreviewJob>
#include <KPluginMetaData>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPixmap>
#include <QUrl>
#include <cstdio>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 5) {
        std::fputs("usage: preview_job OUTDIR SIZE PLUGIN[,PLUGIN...] FILE...\n", stderr);
        return 2;
    }
    const QString outDir = arguments[1];
    const int size = arguments[2].toInt();
    const QStringList plugins = arguments[3].split(QLatin1Char(','));
    for (const KPluginMetaData& plugin : KIO::PreviewJob::availableThumbnailerPlugins())
        if (plugins.contains(plugin.pluginId()))
            std::printf("plugin %s: %s for %s\n", qPrintable(plugin.pluginId()),
                qPrintable(plugin.name()), qPrintable(plugin.mimeTypes().join(QLatin1Char(' '))));
    KFileItemList items;
    for (const QString& file : arguments.mid(4))
        items.append(KFileItem(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath())));

    auto* job = KIO::filePreview(items, QSize(size, size), &plugins);
    job->setIgnoreMaximumSize(true);
    const auto name = [](const KFileItem& item) { return item.url().fileName(); };
    QObject::connect(
        job, &KIO::PreviewJob::gotPreview, [&](const KFileItem& item, const QPixmap& preview) {
            preview.save(outDir + QLatin1Char('/') + name(item) + QStringLiteral(".png"), "PNG");
            std::printf(
                "preview %s %dx%d\n", qPrintable(name(item)), preview.width(), preview.height());
        });
    QObject::connect(job, &KIO::PreviewJob::failed,
        [&](const KFileItem& item) { std::printf("failed %s\n", qPrintable(name(item))); });
    QElapsedTimer clock;
    clock.start();
    int status = 0;
    QObject::connect(job, &KJob::result, [&](KJob* done) {
        std::printf("done in %lld ms\n", static_cast<long long>(clock.elapsed()));
        status = done->error() == 0 ? 0 : 1;
        app.quit();
    });
    app.exec();
    return status;
}
