// A model's life on screen after start-up: one opened from a drop, one
// read again when its file changes, and the title that says why a read
// failed. The model shown is replaced only by a whole one.
#include "model/TriReader.h"
#include "runtime/RuntimeError.h"
#include "window/Form1.h"
#include "window/Form1Texts.h"
#include "window/RuntimeServices.h"

#include <QDropEvent>
#include <QMimeData>
#include <QSysInfo>
#include <QTimer>
#include <QUrl>
#include <variant>

namespace triview {

namespace {

// An error as the title says it: number, description and line.
std::string briefly(const RuntimeError& error)
{
    std::string text = "執行階段錯誤 '" + std::to_string(error.number()) + "': ";
    text += error.description();
    if (error.line() > 0)
        text += ",第 " + std::to_string(error.line()) + " 行";
    return text;
}

// The first dropped item's name, as its bytes, when it is a local file: the
// URL's own percent-encoded bytes, so that a name that is not UTF-8 stays
// itself. A file: URL naming another host is that host's file, not ours.
std::optional<std::string> droppedFile(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls() || data->urls().isEmpty())
        return std::nullopt;
    const QUrl url = data->urls().constFirst();
    const QByteArray name
        = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    const QString host = url.host();
    const bool here = host.isEmpty() || host == QLatin1String("localhost")
        || host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0;
    if (!url.isLocalFile() || !here || name.isEmpty())
        return std::nullopt;
    return name.toStdString();
}

} // namespace

void Form1::takeModel(LoadedModel model)
{
    ModelFileName = model.model().file.value_or("");
    TriangleCount = model.model().TriangleCount;
    DemoMode = model.model().file ? vbFalse : vbTrue;
    View.show(std::move(model)); // the one shown until now goes
}

std::optional<Form1::Failure> Form1::openModel(const std::string& file, bool withCount)
{
    const auto failure = [](const RuntimeError& error) {
        return Failure { error.report(), briefly(error) };
    };
    try {
        const std::int16_t count = counttri(file);
        if (withCount) {
            m_runtime.messageBox(countMessage(count), kCountTitle);
            m_dispatcher.resumeEnd(); // the window may have closed meanwhile
        }
        auto loaded = View.load(file, count);
        if (const auto* failed = std::get_if<ViewFailure>(&loaded))
            return failed->error ? failure(*failed->error)
                                 : Failure { failed->message, failed->message };
        takeModel(std::get<LoadedModel>(std::move(loaded)));
        return std::nullopt;
    } catch (const RuntimeError& error) {
        return failure(error);
    } catch (const std::bad_alloc&) {
        return failure(RuntimeError(err::OutOfMemory));
    }
}

void Form1::openDroppedFile(const std::string& file)
{
    dispatch([&] {
        if (const auto failure = openModel(file, true)) {
            m_runtime.messageBox(failure->report);
        } else if (m_following) {
            m_follower.follow(file); // the window follows the file it shows
            showFailureInTitle(std::nullopt);
        }
    });
}

void Form1::reloadFollowedFile()
{
    if (DemoMode == vbFalse)
        showFailureInTitle(openModel(ModelFileName, false));
}

void Form1::showFailureInTitle(const std::optional<Failure>& failure)
{
    setWindowTitle(
        QString::fromUtf8(failure ? std::string(kTitle) + " — " + failure->brief : kTitle));
    // A title bar the window draws itself (Qt's on Wayland) shows the new
    // title only with a new frame, and a failed read draws none.
    update();
}

// Only a window that shows a model takes a drop: not during start-up.
std::optional<std::string> Form1::fileToOpen(const QMimeData* data) const
{
    return !ended() && Timer1->isActive() ? droppedFile(data) : std::nullopt;
}

void Form1::dragEnterEvent(QDragEnterEvent* event)
{
    if (fileToOpen(event->mimeData()))
        event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent* event)
{
    const std::optional<std::string> file = fileToOpen(event->mimeData());
    if (!file)
        return;
    event->acceptProposedAction();
    // Opened once the drop is over: the program that dragged the file
    // waits for it to end, and the count message waits for the user.
    QTimer::singleShot(0, this, [this, name = *file] { openDroppedFile(name); });
}

} // namespace triview
