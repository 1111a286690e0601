// What screen readers are told of the window: its role, the names the
// captions leave unsaid, and what the picture shows.
#include "runtime/ShownSafely.h"
#include "window/Form1.h"
#include "window/PictureBox.h"

#include <QAccessibleWidget>
#include <QPushButton>
#include <QScrollBar>
#include <charconv>
#include <filesystem>

namespace triview {

namespace {

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

} // namespace

void Form1::installAccessibleWindow()
{
    QAccessible::installFactory(windowAccessible);
}

void Form1::nameControls()
{
    // What a screen reader says of the controls the captions leave unsaid.
    HScroll1->setAccessibleName(QStringLiteral("距離調整"));
    const std::pair<QPushButton*, const char*> buttons[]
        = { { Command1, "繞X軸正轉" }, { Command2, "繞X軸反轉" }, { Command3, "繞Y軸正轉" },
              { Command4, "繞Y軸反轉" }, { Command5, "繞Z軸正轉" }, { Command6, "繞Z軸反轉" } };
    for (const auto& [button, name] : buttons)
        button->setAccessibleName(QString::fromUtf8(name));
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

} // namespace triview
