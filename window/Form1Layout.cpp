// The window's layout, as the form designer left it, and the wiring of its
// controls to their handlers.
#include "view/WindowFigures.h"
#include "window/Controls.h"
#include "window/Fonts.h"
#include "window/Form1.h"
#include "window/PictureBox.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

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

} // namespace

void Form1::createControls()
{
    setFixedSize(px(9720), px(10095));

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

} // namespace triview
