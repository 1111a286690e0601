// Asks KIO for previews as Dolphin does: one KIO::PreviewJob over the files
// named (absolute), through KIO's thumbnail worker, with the plugins named
// enabled: a list, or "default" for those Dolphin enables where its preview
// settings were never changed, or "all". Prints those plugins as Dolphin's
// settings list them, "plugin ID: NAME for MIMETYPES"; then, writing each
// preview to OUTDIR as NAME.png, "preview NAME WxH" or "failed NAME" for each
// file. Status 0: the job ended well. Builds with KDE Frameworks 5 and 6.
// usage: preview_job OUTDIR SIZE default|all|PLUGIN[,PLUGIN...] FILE...
#include <KFileItem>
#include <KIO/PreviewJob>
#include <KPluginMetaData>
#include <QGuiApplication>
#include <QPixmap>
#include <QUrl>
#include <cstdio>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 5)
        return 2;
    const QString outDir = arguments[1];
    const int size = arguments[2].toInt();
    QStringList plugins = arguments[3].split(QLatin1Char(','));
    const auto available = KIO::PreviewJob::availableThumbnailerPlugins();
    if (arguments[3] == QLatin1String("default"))
        plugins = KIO::PreviewJob::defaultPlugins();
    else if (arguments[3] == QLatin1String("all")) {
        plugins.clear();
        for (const KPluginMetaData& plugin : available)
            plugins.append(plugin.pluginId());
    }
    for (const KPluginMetaData& plugin : available)
        if (plugins.contains(plugin.pluginId()))
            std::printf("plugin %s: %s for %s\n", qPrintable(plugin.pluginId()),
                qPrintable(plugin.name()), qPrintable(plugin.mimeTypes().join(QLatin1Char(' '))));
    KFileItemList items;
    for (const QString& file : arguments.mid(4))
        items.append(KFileItem(QUrl::fromLocalFile(file)));

    auto* job = KIO::filePreview(items, QSize(size, size), &plugins);
    job->setIgnoreMaximumSize(true);
    QObject::connect(
        job, &KIO::PreviewJob::gotPreview, [&](const KFileItem& item, const QPixmap& preview) {
            preview.save(outDir + QLatin1Char('/') + item.name() + QStringLiteral(".png"), "PNG");
            std::printf(
                "preview %s %dx%d\n", qPrintable(item.name()), preview.width(), preview.height());
        });
    QObject::connect(job, &KIO::PreviewJob::failed,
        [&](const KFileItem& item) { std::printf("failed %s\n", qPrintable(item.name())); });
    QObject::connect(job, &KJob::result, [&](KJob* done) { app.exit(done->error() == 0 ? 0 : 1); });
    return app.exec();
}
