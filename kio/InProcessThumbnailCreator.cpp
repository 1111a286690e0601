// KDE's thumbnail plugin for tri models on KDE Frameworks 6 (Plasma 6), which
// is Qt 6 like the viewer: it draws in KIO's thumbnail worker's own process,
// through the viewer's view of a model, the picture triview-thumbnailer
// draws. Drawn here, a thumbnail costs no process start (bench/
// kio_thumbnail.sh times the two). As with KDE's own thumbnailers, the
// worker is the process a crash would end, never Dolphin. Frameworks 5's
// worker is Qt 5, and runs triview-thumbnailer instead
// (TriThumbnailCreator.cpp).
#include "picture/RenderPicture.h"
#include "render/software/SoftwareBackend.h"
#include "view/WindowFigures.h"
#include "window/FrameImage.h"

#include <KIO/ThumbnailCreator>
#include <KPluginFactory>
#include <QFile>
#include <cstdio>
#include <variant>

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
        const QString file = request.url().toLocalFile();
        if (file.isEmpty() || request.targetSize().isEmpty())
            return KIO::ThumbnailResult::fail();
        triview::PictureRequest picture;
        picture.file = QFile::encodeName(file).toStdString(); // the name's own bytes
        picture.size = { request.targetSize().width(), request.targetSize().height() };
        picture.distance = triview::kStartDistance;
        picture.axis = {};
        picture.angle = 0;
        picture.fit = true;
        picture.transparent = true;
        picture.deviceType = triview::D3DDEVTYPE_REF; // as the thumbnailer entry draws
        picture.timeLimit = triview::kThumbnailTimeLimit; // the worker has other files to do
        // A device of its own each time, released before the next file.
        triview::ModelView view(triview::newSoftwareDirectX8);
        auto drawn = triview::drawPicture(picture, view);
        if (auto* frame = std::get_if<triview::Frame>(&drawn))
            return KIO::ThumbnailResult::pass(triview::frameImage(std::move(*frame)));
        // Why a model has no thumbnail goes where the worker's own messages go.
        std::fprintf(stderr, "%s\n", std::get<triview::ViewFailure>(drawn).message.c_str());
        return KIO::ThumbnailResult::fail();
    }
};

} // namespace

K_PLUGIN_CLASS_WITH_JSON(InProcessThumbnailCreator, "triviewthumbnail.json")

#include "InProcessThumbnailCreator.moc"
