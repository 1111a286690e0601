// The program's one window: the picture area, the distance scroll bar, the
// rotation buttons in their axis frames, the automatic-rotation check box,
// the labels, the frame timer; its event handlers and the start-up sequence
// (Form1.cpp), its layout (Form1Layout.cpp), a model's life on screen after
// start-up (Form1Model.cpp) and what screen readers are told
// (Form1Accessibility.cpp).
#pragma once

#include "render/gl/GlDevice.h"
#include "runtime/Values.h"
#include "view/FrameRenderer.h"
#include "view/ModelView.h"
#include "view/Turn.h"
#include "window/EventDispatcher.h"
#include "window/FileFollower.h"

#include <QPointF>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>

class QCheckBox;
class QDragEnterEvent;
class QDropEvent;
class QGroupBox;
class QMimeData;
class QLabel;
class QPushButton;
class QScrollBar;
class QTimer;

namespace triview {

class PictureBox;
class RuntimeServices;

class Form1 final : public QWidget
{
    Q_OBJECT
public:
    // newRoot makes the device layer's root object; tests pass one that
    // watches the device or makes it fail.
    explicit Form1(
        RuntimeServices& runtime, RootFactory newRoot = newDirectX8, QWidget* parent = nullptr);
    ~Form1() override;

    // Runs the load event, the start-up sequence. Afterwards the program is
    // driven by window events, unless it has ended (see ended()).
    void load();

    // From start-up on, the model's file is read again whenever it changes
    // on disk (--watch), with no count message; a read that fails keeps the
    // model shown and says why in the title until one succeeds.
    void followModelFile() { m_following = true; }

    // Opens a file dropped on the window as if its name had been typed in
    // the input box: the count message, then the model in place of the one
    // shown. A file that cannot be read is reported as at start-up, and the
    // window keeps its model.
    void openDroppedFile(const std::string& file);

    // Whether the program has ended: closed, a fatal error, or a start-up
    // failure; and the exit status it ended with.
    bool ended() const { return m_dispatcher.ended(); }
    int exitStatus() const { return m_dispatcher.exitStatus(); }

    // The check box's value as the runtime gives it: 0 clear, 1 checked,
    // 2 greyed.
    std::int16_t Check1Value() const;

    // The event handlers. The window runs them through its dispatcher; they
    // are public so that tests can run them as the runtime does.
    void Form_Load();
    void Check1_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Timer1_Timer();
    void Form_Unload(std::int16_t& cancel);

    // The picture's own handlers: a drag turns the model as a trackball
    // does, on top of the buttons' turn (in manual mode only); a
    // double-click or Home drops the drag's turn; the wheel moves HScroll1,
    // a step a notch, forward nearer.
    void Picture1_Drag(QPointF from, QPointF to);
    void Picture1_DropTurn();
    void Picture1_Wheel(int notches);

    // The whole turn shown in manual mode: the buttons', then the drag's, as
    // one axis and angle in the buttons' units (--turn takes it).
    AxisAngle wholeTurn() const;

signals:
    // The program has ended with this exit status; the event loop should end.
    void programEnded(int status);

public:
    // Runs a handler as the window does: a fatal error leaving it is reported.
    void dispatch(const std::function<void()>& handler) { m_dispatcher.run(handler); }

    // The controls.
    PictureBox* Picture1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QScrollBar* HScroll1;
    QGroupBox* Frame1;
    QGroupBox* Frame2;
    QGroupBox* Frame3;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;
    QPushButton* Command4;
    QPushButton* Command5;
    QPushButton* Command6;
    QCheckBox* Check1;
    QTimer* Timer1;

    // The window's state.
    std::string ModelFileName;
    std::int16_t TriangleCount = 0;
    VbBoolean DemoMode = vbFalse;
    D3DVECTOR RotationAxis {};
    float RotationAngle = 0.0f;
    // The device, its vertex buffer and the model shown, from the load
    // event's InitD3D to the unload event's Cleanup.
    ModelView View;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createControls();
    void connectHandlers();
    static void installAccessibleWindow();
    void nameControls();
    void rotate(D3DVECTOR axis, double step);
    void doEvents();

    // Puts a whole model on screen: the model and the state that goes with
    // it, together.
    void takeModel(LoadedModel model);
    // Counts and loads file as start-up does and, when it is whole, shows it.
    // Answers why it could not: the report, and the title's short form.
    struct Failure
    {
        std::string report, brief;
    };
    std::optional<Failure> openModel(const std::string& file, bool countMessage);
    void reloadFollowedFile();
    void showFailureInTitle(const std::optional<Failure>& failure);
    // The dropped file the window would open: none during start-up or after
    // the end, or when the first item is not a local file.
    std::optional<std::string> fileToOpen(const QMimeData* data) const;
    // Names and describes the picture for screen readers, when that changed.
    void describePicture(bool byClock);

    // What the last frame drawn showed: a tick that would draw it again, in
    // manual mode, draws nothing.
    struct Shown
    {
        Pose pose;
        PixelSize pixels;
        std::int16_t triangles;
        const void* buffer;

        friend bool operator==(const Shown&, const Shown&) = default;
    };
    std::optional<Shown> m_shown;

    RuntimeServices& m_runtime;
    EventDispatcher m_dispatcher;
    bool m_following = false;
    FileFollower m_follower;
    Turn m_dragTurn; // the drag's turn, in the world, applied after the buttons'
};

} // namespace triview
