// The window made and its handlers: the load event's start-up sequence, the
// rotation buttons, the check box, the timer's frames, the picture's mouse
// and wheel, and the unload event.
#include "window/Form1.h"

#include "model/DemoModel.h"
#include "model/TriReader.h"
#include "runtime/CheckedMath.h"
#include "runtime/RuntimeError.h"
#include "runtime/ShownSafely.h"
#include "view/FrameRenderer.h"
#include "view/WindowFigures.h"
#include "window/Fonts.h"
#include "window/Form1Texts.h"
#include "window/PictureBox.h"
#include "window/RuntimeServices.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <variant>

namespace triview {

Form1::Form1(RuntimeServices& runtime, RootFactory newRoot, QWidget* parent)
    : QWidget(parent)
    , View(std::move(newRoot))
    , m_runtime(runtime)
    , m_dispatcher(
          runtime, [this] { Timer1->stop(); }, [this](int status) { emit programEnded(status); })
{
    // Before the title: Qt keeps the first interface made for a widget, and a
    // new title makes one. Once: Qt keeps no duplicates.
    installAccessibleWindow();
    registerFontSubstitutions();
    setWindowTitle(QString::fromUtf8(kTitle));
    setAcceptDrops(true);
    createControls();
    nameControls();
    connectHandlers();
}

Form1::~Form1()
{
    // The device's objects go before the widgets they draw into.
    View.Cleanup();
}

void Form1::load()
{
    dispatch([this] { Form_Load(); });
    if (m_following && !ended() && DemoMode == vbFalse)
        if (const std::string why = m_follower.follow(ModelFileName); !why.empty())
            std::fprintf(stderr, "triview: cannot follow %s: %s\n",
                shownSafely(ModelFileName).c_str(), why.c_str());
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
