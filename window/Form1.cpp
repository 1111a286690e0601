#include "window/Form1.h"

#include "model/DemoModel.h"
#include "model/TriReader.h"
#include "runtime/CheckedMath.h"
#include "runtime/RuntimeError.h"
#include "runtime/RuntimeServices.h"
#include "runtime/ShownSafely.h"
#include "view/FrameRenderer.h"
#include "view/WindowFigures.h"
#include "window/Controls.h"
#include "window/Fonts.h"
#include "window/PictureBox.h"

#include <QAccessibleWidget>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSysInfo>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <variant>

namespace triview {

namespace {

// Positions and sizes are laid out in twips, 15 to a pixel; each one used
// here is a whole number of pixels, checked when compiling.
consteval int px(int twips)
{
    if (twips % 15 != 0)
        throw "not a whole number of pixels";
    return twips / 15;
}

void place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(left, top, width, height);
}

QFont namedFont(const char* family, qreal points, bool italic = false)
{
    QFont font(QString::fromUtf8(family));
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    font.setItalic(italic);
    return font;
}

void setTextColour(QWidget* widget, Qt::GlobalColor colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget->setPalette(palette);
}

// A frame's caption sits on its border, with the buttons inside below it.
QGroupBox* axisFrame(QWidget* parent, const QString& caption)
{
    auto* frame = new QGroupBox(caption, parent);
    frame->setStyleSheet(QStringLiteral(
        "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 7px; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 1px; }"));
    return frame;
}

QPushButton* rotationButton(QGroupBox* frame, const char* caption, int left)
{
    auto* button = new CommandButton(QString::fromUtf8(caption), frame);
    place(button, left, px(240), px(255), px(225));
    return button;
}

constexpr const char* kPrompt = "請輸入3D模組檔名(tri檔):";
constexpr const char* kPromptTitle = "檔名輸入";
constexpr const char* kNoFileName = "沒輸入檔名,程式將跑DEMO!";
constexpr const char* kNoFileNameTitle = "警告";
constexpr const char* kCountTitle = "三角形數";
constexpr const char* kTitle = "天才Tovan3D模型秀圖";

// To a screen reader the window is a window (a plain widget would be a
// filler).
QAccessibleInterface* windowAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("triview::Form1") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

// A float as --turn takes it back: the shortest text that reads as the same
// float.
std::string shortest(float value)
{
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

std::string countMessage(std::int16_t count)
{
    return "您的3D模組總共由" + numberText(count) + "個三角形組成的!";
}

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

Form1::Form1(RuntimeServices& runtime, RootFactory newRoot, QWidget* parent)
    : QWidget(parent)
    , View(std::move(newRoot))
    , m_runtime(runtime)
    , m_dispatcher(
          runtime, [this] { Timer1->stop(); }, [this](int status) { emit programEnded(status); })
{
    // Before the title: Qt keeps the first interface made for a widget, and a
    // new title makes one. Once: Qt keeps no duplicates.
    QAccessible::installFactory(windowAccessible);
    registerFontSubstitutions();
    setWindowTitle(QString::fromUtf8(kTitle));
    setFixedSize(px(9720), px(10095));
    setAcceptDrops(true);
    createControls();
    connectHandlers();
}

Form1::~Form1()
{
    // The device's objects go before the widgets they draw into.
    View = ModelView(nullptr);
}

void Form1::createControls()
{
    Picture1 = new PictureBox(this);
    place(Picture1, px(120), px(120), kPictureArea.width, kPictureArea.height);

    Label2 = new QLabel(QStringLiteral("距離調整:"), this);
    place(Label2, px(120), px(9240), px(1095), px(255));
    Label2->setFont(namedFont("新細明體", 12));

    HScroll1 = new ScrollBar(this);
    place(HScroll1, px(1320), px(9240), px(8295), px(255));
    HScroll1->setRange(kNearestDistance, kFarthestDistance);
    HScroll1->setValue(kStartDistance);
    HScroll1->setSingleStep(1);
    HScroll1->setPageStep(1);
    HScroll1->setFocusPolicy(Qt::StrongFocus);

    Label3 = new QLabel(QStringLiteral("近"), this);
    place(Label3, px(1320), px(9600), px(255), px(255));
    setTextColour(Label3, Qt::red);

    Label4 = new QLabel(QStringLiteral("遠"), this);
    place(Label4, px(9360), px(9600), px(255), px(255));
    setTextColour(Label4, Qt::red);

    Label5 = new QLabel(QStringLiteral("旋轉:"), this);
    place(Label5, px(1680), px(9720), px(375), px(255));
    Label5->setFont(namedFont("新細明體", 8.25));
    setTextColour(Label5, Qt::blue);

    Frame1 = axisFrame(this, QStringLiteral("X軸"));
    place(Frame1, px(2160), px(9600), px(855), px(495));
    Command1 = rotationButton(Frame1, "+", px(120));
    Command2 = rotationButton(Frame1, "-", px(480));

    Frame2 = axisFrame(this, QStringLiteral("Y軸"));
    place(Frame2, px(3120), px(9600), px(855), px(495));
    Command3 = rotationButton(Frame2, "+", px(120));
    Command4 = rotationButton(Frame2, "-", px(480));

    Frame3 = axisFrame(this, QStringLiteral("Z軸"));
    place(Frame3, px(4080), px(9600), px(855), px(495));
    Command5 = rotationButton(Frame3, "+", px(120));
    Command6 = rotationButton(Frame3, "-", px(480));

    // What a screen reader says of the controls the captions leave unsaid.
    HScroll1->setAccessibleName(QStringLiteral("距離調整"));
    const std::pair<QPushButton*, const char*> buttons[]
        = { { Command1, "繞X軸正轉" }, { Command2, "繞X軸反轉" }, { Command3, "繞Y軸正轉" },
              { Command4, "繞Y軸反轉" }, { Command5, "繞Z軸正轉" }, { Command6, "繞Z軸反轉" } };
    for (const auto& [button, name] : buttons)
        button->setAccessibleName(QString::fromUtf8(name));

    Check1 = new QCheckBox(QStringLiteral("自動旋轉"), this);
    place(Check1, px(5040), px(9720), px(975), px(255));
    Check1->setFont(namedFont("新細明體", 8.25));
    setTextColour(Check1, Qt::blue);

    Label1 = new QLabel(QStringLiteral("triview \u00b7 a Tovan 3D model viewer"), this);
    place(Label1, px(6120), px(9840), px(3495), px(255));
    Label1->setFont(namedFont("Monotype Corsiva", 9.75, true));

    // Labels put their text at the top left of their box.
    for (QLabel* label : { Label1, Label2, Label3, Label4, Label5 })
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Timer1 = new QTimer(Picture1);
    Timer1->setInterval(40);

    // Keyboard focus in ascending tab index; labels and frames take none.
    setTabOrder(Picture1, HScroll1);
    setTabOrder(HScroll1, Check1);
    setTabOrder(Check1, Command1);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command3);
    setTabOrder(Command3, Command4);
    setTabOrder(Command4, Command5);
    setTabOrder(Command5, Command6);
}

void Form1::connectHandlers()
{
    const auto on = [this](auto handler) {
        return [this, handler] { dispatch([this, handler] { (this->*handler)(); }); };
    };
    // Qt 6.7 renamed the signal and deprecates the old name from 6.9.
#if QT_VERSION >= QT_VERSION_CHECK(6, 7, 0)
    connect(Check1, &QCheckBox::checkStateChanged, this, on(&Form1::Check1_Click));
#else
    connect(Check1, &QCheckBox::stateChanged, this, on(&Form1::Check1_Click));
#endif
    connect(Command1, &QPushButton::clicked, this, on(&Form1::Command1_Click));
    connect(Command2, &QPushButton::clicked, this, on(&Form1::Command2_Click));
    connect(Command3, &QPushButton::clicked, this, on(&Form1::Command3_Click));
    connect(Command4, &QPushButton::clicked, this, on(&Form1::Command4_Click));
    connect(Command5, &QPushButton::clicked, this, on(&Form1::Command5_Click));
    connect(Command6, &QPushButton::clicked, this, on(&Form1::Command6_Click));
    connect(Timer1, &QTimer::timeout, this, on(&Form1::Timer1_Timer));
    connect(&m_follower, &FileFollower::changed, this, on(&Form1::reloadFollowedFile));
    connect(Picture1, &PictureBox::dragged, this,
        [this](QPointF from, QPointF to) { dispatch([=, this] { Picture1_Drag(from, to); }); });
    connect(Picture1, &PictureBox::turnDropped, this, on(&Form1::Picture1_DropTurn));
    connect(Picture1, &PictureBox::wheelTurned, this,
        [this](int notches) { dispatch([=, this] { Picture1_Wheel(notches); }); });
}

void Form1::load()
{
    dispatch([this] { Form_Load(); });
    if (m_following && !ended() && DemoMode == vbFalse)
        if (const std::string why = m_follower.follow(ModelFileName); !why.empty())
            std::fprintf(stderr, "triview: cannot follow %s: %s\n",
                shownSafely(ModelFileName).c_str(), why.c_str());
}

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

std::int16_t Form1::Check1Value() const
{
    switch (Check1->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

void Form1::doEvents()
{
    m_runtime.doEvents();
    // A handler that ran meanwhile may have ended the program.
    m_dispatcher.resumeEnd();
}

void Form1::Form_Load()
{
    RotationAxis = { 0.0f, 0.0f, 0.0f };
    RotationAngle = 0.0f;

    ModelFileName = m_runtime.inputBox(kPrompt, kPromptTitle);
    if (ModelFileName != "") {
        TriangleCount = counttri(ModelFileName);
        m_runtime.messageBox(countMessage(TriangleCount), kCountTitle);
        DemoMode = vbFalse;
    } else {
        m_runtime.messageBox(kNoFileName, kNoFileNameTitle);
        TriangleCount = kDemonstrationTriangles;
        DemoMode = vbTrue;
    }

    show();
    doEvents();

    if (View.InitD3D(Picture1) == vbFalse) {
        m_runtime.messageBox(kNoDevice);
        endProgram(1);
    }
    auto loaded = View.load(
        DemoMode == vbTrue ? std::nullopt : std::optional(ModelFileName), TriangleCount);
    if (const auto* failed = std::get_if<ViewFailure>(&loaded)) {
        if (failed->error)
            throw *failed->error;
        m_runtime.messageBox(kNoVertexBuffer);
        endProgram(1);
    }
    takeModel(std::get<LoadedModel>(std::move(loaded)));

    Timer1->start();
}

void Form1::Check1_Click()
{
    const bool enabled = Check1Value() != 1;
    Frame1->setEnabled(enabled);
    Frame2->setEnabled(enabled);
    Frame3->setEnabled(enabled);
}

void Form1::rotate(D3DVECTOR axis, double step)
{
    RotationAxis = axis;
    const checked::FloatStatus status;
    RotationAngle = static_cast<float>(static_cast<double>(RotationAngle) + step);
    status.check();
}

void Form1::Command1_Click()
{
    rotate({ 1.0f, 0.0f, 0.0f }, 0.1);
}
void Form1::Command2_Click()
{
    rotate({ 1.0f, 0.0f, 0.0f }, -0.1);
}
void Form1::Command3_Click()
{
    rotate({ 0.0f, 1.0f, 0.0f }, 0.1);
}
void Form1::Command4_Click()
{
    rotate({ 0.0f, 1.0f, 0.0f }, -0.1);
}
void Form1::Command5_Click()
{
    rotate({ 0.0f, 0.0f, 1.0f }, 0.1);
}
void Form1::Command6_Click()
{
    rotate({ 0.0f, 0.0f, 1.0f }, -0.1);
}

void Form1::Timer1_Timer()
{
    // A window nobody can see (minimised, on a workspace not shown) draws
    // nothing; shown again, it shows its last frame at once and the current
    // pose at the next tick.
    const QWindow* window = windowHandle();
    if (window == nullptr || !window->isExposed()) {
        m_shown.reset();
        return;
    }
    // Checked (1), not greyed (2), turns the model by the clock.
    const bool byClock = Check1Value() == 1;
    const AxisAngle turn = wholeTurn();
    const Pose pose { byClock, byClock ? m_runtime.timer() : 0.0f, turn.axis, turn.angle,
        static_cast<std::int16_t>(HScroll1->value()) };
    // In manual mode the frame already shown is not drawn again: nothing
    // anyone could see would change.
    const Shown next { pose, Picture1->pixelSize(), TriangleCount, View.shownBuffer() };
    if (!byClock && m_shown == next)
        return;
    m_shown.reset(); // a frame that fails leaves nothing shown
    if (const auto failed = View.Render(pose))
        throw *failed->error;
    m_shown = next;
    describePicture(byClock);
}

AxisAngle Form1::wholeTurn() const
{
    if (m_dragTurn.isNone()) // the buttons' own axis and angle, as they stand
        return { RotationAxis, RotationAngle };
    return axisAngle(m_dragTurn * turnAbout(RotationAxis, RotationAngle));
}

void Form1::Picture1_Drag(QPointF from, QPointF to)
{
    if (Check1Value() == 1) // the clock turns the model
        return;
    m_dragTurn = trackballTurn(from.x(), from.y(), to.x(), to.y(), Picture1->width(),
                     Picture1->height(), viewTransform(std::int16_t(HScroll1->value())))
        * m_dragTurn;
}

void Form1::Picture1_DropTurn()
{
    m_dragTurn = {};
}

void Form1::Picture1_Wheel(int notches)
{
    // Through the scroll bar itself: its thumb follows and its range holds.
    for (int i = 0; i < std::abs(notches); ++i)
        HScroll1->triggerAction(notches > 0 ? QAbstractSlider::SliderSingleStepSub
                                            : QAbstractSlider::SliderSingleStepAdd);
}

// The picture as a screen reader has it: the model's name; the triangles,
// the distance and the turn in --turn's form. Said again only when it
// changes.
void Form1::describePicture(bool byClock)
{
    const QString name = DemoMode == vbTrue
        ? QStringLiteral("示範模型")
        : QString::fromUtf8(shownSafely(std::filesystem::path(ModelFileName).filename().string()));
    const AxisAngle turn = wholeTurn();
    const std::string description = std::to_string(TriangleCount) + " 個三角形,距離 "
        + std::to_string(HScroll1->value()) + ",旋轉 "
        + (byClock ? std::string("自動")
                   : shortest(turn.axis.x) + "," + shortest(turn.axis.y) + ","
                    + shortest(turn.axis.z) + ":" + shortest(turn.angle));
    if (Picture1->accessibleName() != name)
        Picture1->setAccessibleName(name);
    if (Picture1->accessibleDescription() != QString::fromStdString(description))
        Picture1->setAccessibleDescription(QString::fromStdString(description));
}

void Form1::Form_Unload(std::int16_t& /*cancel: closing is never refused*/)
{
    View.Cleanup();
    endProgram(0);
}

void Form1::closeEvent(QCloseEvent* event)
{
    std::int16_t cancel = 0; // never set: closing is never refused
    if (!ended())
        dispatch([&] { Form_Unload(cancel); });
    event->accept();
}

} // namespace triview
