// For bench/kio_thumbnail.sh only: KDE's thumbnail plugin as it would be if
// it drew in the thumbnail worker's own process (KDE Frameworks 6 is Qt 6,
// like the viewer), to be timed beside the plugin that runs
// `triview --render`. The same picture: the command line's --fit
// --transparent drawing, with no process, no PNG between them, and the
// worker's process keeping EGL and the driver loaded from one file to the next.
#include "app/CommandLine.h"
#include "app/RenderPicture.h"
#include "render/DeviceSetup.h"

#include <KIO/ThumbnailCreator>
#include <KPluginFactory>
#include <QFile>

namespace {

class InProcessThumbnailCreator final : public KIO::ThumbnailCreator
{
    Q_OBJECT

public:
    InProcessThumbnailCreator(QObject* parent, const QVariantList& args)
        : KIO::ThumbnailCreator(parent, args)
    { }

    KIO::ThumbnailResult create(const KIO::ThumbnailRequest& request) override
    {
        triview::CommandLine line;
        line.action = triview::CommandLine::Action::Render;
        line.file = QFile::encodeName(request.url().toLocalFile()).toStdString();
        line.size = request.targetSize();
        line.fit = true;
        line.transparent = true;
        triview::Direct3DObjects d3d;
        try {
            return KIO::ThumbnailResult::pass(triview::drawPicture(line, d3d));
        } catch (...) {
            return KIO::ThumbnailResult::fail();
        }
    }
};

} // namespace

K_PLUGIN_CLASS_WITH_JSON(InProcessThumbnailCreator, "triviewthumbnail-in-process.json")

#include "InProcessThumbnailCreator.moc"
