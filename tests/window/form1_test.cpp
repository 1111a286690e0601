// The window: its settings, the handlers' arithmetic, the start-up sequence
// with scripted dialogs, frames on the timer, the fatal path and closing.
#include "Golden.h"
#include "QtPrinters.h"
#include "ScriptedRuntime.h"
#include "TempFile.h"
#include "app/CommandLine.h"
#include "picture/RenderPicture.h"
#include "render/DeviceSeam.h"
#include "render/software/SoftwareBackend.h"
#include "runtime/ShownSafely.h"
#include "view/WindowFigures.h"
#include "window/FileFollower.h"
#include "window/Form1.h"
#include "window/FrameImage.h"
#include "window/PictureBox.h"
#include "window/PictureEncoder.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMimeData>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>
#include <bit>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace triview {
namespace {

using Texts = std::vector<std::string>;

// A window with scripted dialogs and a watched device, drawn by OpenGL or,
// standing in for it, by the software rasteriser.
struct Harness
{
    explicit Harness(std::deque<std::string> answers = {}, BackendFactory backend = makeGlBackend)
        : hardware(backend)
    {
        runtime.answers = std::move(answers);
        runtime.onDoEvents = [] { QCoreApplication::processEvents(); };
    }
    bool journalHas(const char* operation) const
    {
        return std::ranges::count(seam->journal(), operation) > 0;
    }
    QImage frame() const { return form.Picture1->frame(); }

    BackendFactory hardware;
    std::shared_ptr<DeviceSeam> seam = std::make_shared<DeviceSeam>();
    test::ScriptedRuntime runtime;
    Form1 form { runtime,
        [this] {
            return std::make_unique<DirectX8>(seam, Backends { hardware, makeSoftwareBackend });
        } };
};

// Lets the event loop run until condition holds, five seconds at most.
bool eventually(const std::function<bool()>& condition)
{
    return QTest::qWaitFor(condition, 5000);
}

TEST(Form1, TitleSizeTabOrderAndSettings)
{
    Harness h;
    Form1& f = h.form;
    EXPECT_EQ(f.windowTitle(), QStringLiteral("天才Tovan3D模型秀圖"));
    EXPECT_TRUE(f.minimumSize() == QSize(648, 673) && f.maximumSize() == QSize(648, 673));
    // Keyboard focus: the picture, the scroll bar, the check box, the buttons.
    QList<QWidget*> focus;
    for (QWidget* w = f.Picture1; focus.size() < 9; w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus)
            focus.append(w);
    EXPECT_EQ(focus,
        QList<QWidget*>({ f.Picture1, f.HScroll1, f.Check1, f.Command1, f.Command2, f.Command3,
            f.Command4, f.Command5, f.Command6 }));
    for (const QLabel* label : { f.Label1, f.Label2, f.Label3, f.Label4, f.Label5 })
        EXPECT_EQ(label->alignment(), Qt::AlignLeft | Qt::AlignTop);
    const QScrollBar& s = *f.HScroll1;
    EXPECT_EQ(QList({ s.minimum(), s.maximum(), s.value(), s.singleStep(), s.pageStep() }),
        QList({ 1, 15, 8, 1, 1 }));
    EXPECT_TRUE(f.Timer1->interval() == 40 && !f.Timer1->isActive() && f.Check1Value() == 0);
}

TEST(Form1, RotationButtonsSetTheAxisAndStepTheAngleInDouble)
{
    Harness h;
    Form1& f = h.form;
    QPushButton* const buttons[]
        = { f.Command1, f.Command2, f.Command3, f.Command4, f.Command5, f.Command6 };
    for (int i = 0; i < 6; ++i) {
        f.RotationAxis = { 7, 7, 7 }; // all three components are written
        f.RotationAngle = 0.5f;
        buttons[i]->click();
        EXPECT_EQ(f.RotationAxis,
            (D3DVECTOR { float(i / 2 == 0), float(i / 2 == 1), float(i / 2 == 2) }));
        EXPECT_EQ(f.RotationAngle, static_cast<float>(0.5 + (i % 2 ? -0.1 : 0.1)));
    }
    f.RotationAngle = 0;
    for (int i = 0; i < 10; ++i)
        f.Command1->click();
    EXPECT_EQ(std::bit_cast<std::uint32_t>(f.RotationAngle), 0x3F800001u); // 1.00000012
    f.Command3->click();
    EXPECT_EQ(f.RotationAngle, 1.10000014f);
    f.RotationAngle = 0;
    f.Command1->click();
    f.Command2->click();
    EXPECT_NEAR(f.RotationAngle, 1.49e-9f, 0.01e-9f); // not 0: the step is a double
}

TEST(Form1, CheckBoxSwitchesTheFramesOnly)
{
    Harness h;
    Form1& f = h.form;
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    f.Command3->click();
    f.Check1->setTristate(true);
    for (const auto& [state, enabled] : { std::pair { Qt::Checked, false },
             { Qt::PartiallyChecked, true }, { Qt::Checked, false }, { Qt::Unchecked, true } }) {
        f.Check1->setCheckState(state);
        for (QGroupBox* frame : { f.Frame1, f.Frame2, f.Frame3 })
            EXPECT_EQ(frame->isEnabled(), enabled);
        QTest::mouseClick(f.Command1, Qt::LeftButton); // takes no click while disabled
    }
    EXPECT_EQ(f.RotationAxis.x, 1.0f);
    EXPECT_NEAR(f.RotationAngle, 0.3f, 1e-6f); // three presses
}

// A style whose track clicks jump to the pointer, as GTK themes make them.
struct JumpingTrackStyle : QProxyStyle
{
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
        QStyleHintReturn* data) const override
    {
        if (hint == SH_ScrollBar_LeftClickAbsolutePosition
            || hint == SH_ScrollBar_MiddleClickAbsolutePosition)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

TEST(Form1, KeysAndClicksMoveTheControlsAsTheWindowSaysWhateverTheStyle)
{
    JumpingTrackStyle style;
    Harness h;
    Form1& f = h.form;
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    for (const Qt::Key key : { Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter })
        QTest::keyClick(f.Command1, key);
    EXPECT_NEAR(f.RotationAngle, 0.3f, 1e-6f); // three presses

    QScrollBar& bar = *f.HScroll1;
    bar.setStyle(&style);
    const int y = bar.height() / 2;
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(bar.width() - 24, y)); // the track: one step
    QTest::mouseClick(&bar, Qt::MiddleButton, {}, QPoint(bar.width() - 24, y));
    EXPECT_EQ(bar.value(), 10);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(3, y)); // the left arrow
    EXPECT_EQ(bar.value(), 9);
    const std::pair<Qt::Key, int> keys[] = { { Qt::Key_Right, 10 }, { Qt::Key_Down, 11 },
        { Qt::Key_Left, 10 }, { Qt::Key_Up, 9 }, { Qt::Key_Home, 1 }, { Qt::Key_End, 15 } };
    for (const auto& [key, value] : keys) {
        QTest::keyClick(&bar, key);
        EXPECT_EQ(bar.value(), value) << key;
    }
    // A press held on the track steps at once, again after the style's
    // delay and on at its pace, until the release or until the thumb
    // covers the pointer.
    const QPoint left(bar.width() / 4, y);
    const int delay
        = bar.style()->styleHint(QStyle::SH_SpinBox_ClickAutoRepeatThreshold, nullptr, &bar);
    const int pace = bar.style()->styleHint(QStyle::SH_SpinBox_ClickAutoRepeatRate, nullptr, &bar);
    QElapsedTimer held;
    held.start();
    QTest::mousePress(&bar, Qt::LeftButton, {}, left);
    EXPECT_EQ(bar.value(), 14);
    ASSERT_TRUE(eventually([&] { return bar.value() == 13; }));
    EXPECT_GE(held.elapsed(), delay * 9 / 10); // Qt's coarse timers may fire a little early
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, left);
    QTest::qWait(3 * pace);
    EXPECT_EQ(bar.value(), 13);
    QTest::mousePress(&bar, Qt::LeftButton, {}, left);
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar.value() < 5; }, 10000));
    QTest::qWait(5 * pace);
    const int reached = bar.value();
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, left);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, left); // on the thumb now: no step
    EXPECT_EQ(bar.value(), reached);
    QWidget* menu = nullptr; // none: the window's texts are all Chinese, and Qt's menu is not
    QTimer::singleShot(300, [&] {
        if ((menu = QApplication::activePopupWidget()))
            menu->close();
    });
    const QPoint middle(bar.width() / 2, y);
    QContextMenuEvent request(QContextMenuEvent::Mouse, middle, bar.mapToGlobal(middle));
    QApplication::sendEvent(&bar, &request);
    QTest::qWait(400);
    EXPECT_EQ(menu, nullptr);
}

TEST(Form1, StartUpSequence)
{
    test::TempDir dir;
    const std::string examples = TRIVIEW_EXAMPLES_DIR "/", empty = dir.write("empty.tri", "");
    const std::string count = "您的3D模組總共由", warning = "沒輸入檔名,程式將跑DEMO!";
    const struct
    {
        std::optional<std::string> answer; // none: the input box is cancelled
        const char* failing; // a device operation that fails
        Texts messages; // how each message starts
        int exitStatus; // -1: still running
        std::int16_t triangles, shown; // counted; the vertices of the model shown
    } cases[] = {
        { "", "", { warning }, -1, 3, 9 },
        { std::nullopt, "", { warning }, -1, 3, 9 },
        // The example models, with the counts the README gives.
        { examples + "cube.tri", "", { count + " 12個三角形組成的!" }, -1, 12, 36 },
        { examples + "sphere.tri", "", { count + " 10920個" }, -1, 10920, 32760 },
        { examples + "terrain.tri", "", { count + " 4608個" }, -1, 4608, 13824 },
        { "   ", "", { "執行階段錯誤 '53'" }, 1, 0, 0 },
        { "/no/such/folder/model.tri", "", { "執行階段錯誤 '76'" }, 1, 0, 0 },
        { dir.path(), "", { "執行階段錯誤 '75'" }, 1, 0, 0 }, // a folder
        { "/dev/zero", "", { "執行階段錯誤 '75'" }, 1, 0, 0 }, // endless
        { empty, "", { count + " 0個三角形組成的!", "執行階段錯誤 '62'" }, 1, 0, 0 },
        { "", "CreateDevice", { warning, "不能建立D3D Device" }, 1, 3, 0 },
        { "", "CreateVertexBuffer", { warning, "不能建立D3D VertexBuffer" }, 1, 3, 0 },
        { examples + "cube.tri", "CreateVertexBuffer", { count, "不能建立D3D VertexBuffer" }, 1, 12,
            0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer.value_or("<cancelled>") + " " + c.failing);
        Harness h(c.answer ? std::deque { *c.answer } : std::deque<std::string> {});
        if (c.failing == std::string("CreateVertexBuffer"))
            h.seam->yieldNothing(c.failing);
        else if (*c.failing)
            h.seam->fail(c.failing, D3DERR_NOTAVAILABLE);
        bool shownAtFirstMessage = true;
        h.runtime.onMessage
            = [&] { shownAtFirstMessage &= h.runtime.messages.size() > 1 || h.form.isVisible(); };
        QSignalSpy ended(&h.form, &Form1::programEnded);
        h.form.load();

        EXPECT_EQ(h.runtime.prompts, Texts { "檔名輸入: 請輸入3D模組檔名(tri檔):" });
        ASSERT_EQ(h.runtime.messages.size(), c.messages.size());
        for (std::size_t i = 0; i < c.messages.size(); ++i) {
            const auto& [text, title] = h.runtime.messages[i];
            EXPECT_TRUE(text.starts_with(c.messages[i])) << text;
            // Only the count and the warning have titles of their own.
            EXPECT_EQ(title.value_or(""),
                text == warning               ? "警告"
                    : text.starts_with(count) ? "三角形數"
                                              : "");
            if (text.starts_with("執行階段錯誤")) { // the report names the file
                EXPECT_NE(text.find("檔案: " + c.answer.value()), std::string::npos);
            }
        }
        EXPECT_FALSE(shownAtFirstMessage);
        EXPECT_EQ(h.form.ended() ? h.form.exitStatus() : -1, c.exitStatus);
        EXPECT_EQ(ended.count(), h.form.ended() ? 1 : 0);
        EXPECT_EQ(h.form.Timer1->isActive(), c.exitStatus == -1);
        EXPECT_EQ(h.form.TriangleCount, c.triangles);
        EXPECT_EQ(h.form.DemoMode, c.answer.value_or("").empty() ? vbTrue : vbFalse);
        EXPECT_EQ(h.form.View.model().VertexCursor(), c.shown);
        if (c.failing == std::string("CreateDevice")) { // ended at once: nothing released
            EXPECT_FALSE(h.journalHas("Release:Direct3D"));
        }
    }
}

TEST(Form1, WindowEventsRunOnceBeforeTheDeviceAndTheTimerStartsLast)
{
    Harness h;
    std::vector<bool> seen; // timer at the message; timer, window at doEvents
    h.runtime.onMessage = [&] { seen.push_back(h.form.Timer1->isActive()); };
    h.runtime.onDoEvents = [&] {
        QCoreApplication::processEvents();
        seen.insert(seen.end(), { h.form.Timer1->isActive(), h.form.isVisible() });
        EXPECT_FALSE(h.journalHas("CreateDevice"));
    };
    h.form.load();
    EXPECT_EQ(seen, (std::vector<bool> { false, false, true }));
    EXPECT_EQ(h.runtime.doEventsCalls, 1);
    EXPECT_TRUE(h.form.Timer1->isActive());

    Harness closed; // the window closed while those events ran: start-up stops
    closed.runtime.onDoEvents = [&] { closed.form.close(); };
    closed.form.load();
    EXPECT_TRUE(closed.form.ended() && closed.form.exitStatus() == 0);
    EXPECT_FALSE(closed.journalHas("CreateDevice") || closed.form.Timer1->isActive());
}

struct WindowFrames : testing::TestWithParam<BackendFactory>
{
};

TEST_P(WindowFrames, ChangesShowAtTheNextTick)
{
    Harness h({}, GetParam());
    Form1& f = h.form;
    f.load();
    ASSERT_TRUE(eventually([&] { return !h.frame().isNull(); }));
    const QImage start = h.frame();
    test::expectGolden(start, TRIVIEW_GOLDEN_DIR, "demo-start"); // --render's too
    h.seam->clearJournal();
    QTest::qWait(200); // five ticks with nothing to change draw nothing
    EXPECT_FALSE(h.journalHas("Present"));
    for (int i = 0; i < 3; ++i)
        f.Command3->click();
    ASSERT_TRUE(eventually([&] { return h.frame() != start; }));
    const QImage pose = h.frame();
    f.HScroll1->setValue(12);
    EXPECT_TRUE(eventually([&] { return h.frame() != pose; }));
    f.HScroll1->setValue(8);
    ASSERT_TRUE(eventually([&] { return h.frame() == pose; }));
    h.runtime.clock = 2.0f;
    f.Check1->setCheckState(Qt::Checked);
    EXPECT_TRUE(eventually([&] { return h.frame() != pose; }));
    f.Check1->setTristate(true);
    f.Check1->setCheckState(Qt::PartiallyChecked); // greyed: back to the buttons' pose
    EXPECT_TRUE(eventually([&] { return h.frame() == pose; }));
    f.Check1->setCheckState(Qt::Checked); // every tick draws, but for a window no one sees
    f.hide();
    ASSERT_TRUE(eventually([&] { return !f.windowHandle()->isExposed(); }));
    h.seam->clearJournal();
    QTest::qWait(200);
    EXPECT_FALSE(h.journalHas("Present"));
    f.show();
    EXPECT_TRUE(eventually([&] { return h.journalHas("Present"); }));
}

INSTANTIATE_TEST_SUITE_P(Backends, WindowFrames,
    testing::Values(makeGlBackend, makeSoftwareBackend),
    [](const auto& info) { return info.param == makeGlBackend ? "OpenGL" : "Software"; });

// A picture drawn at once, as the KDE plugin draws it.
QImage picture(const PictureRequest& request)
{
    ModelView view(newDirectX8);
    auto drawn = drawPicture(request, view);
    if (const auto* failure = std::get_if<ViewFailure>(&drawn)) {
        ADD_FAILURE() << failure->message;
        return {};
    }
    return frameImage(std::get<Frame>(std::move(drawn)));
}

// A model's picture as --render draws it at the window's pose.
QImage rendered(const std::string& model, const Form1& f)
{
    const PictureRequest request { model, kPictureArea, std::int16_t(f.HScroll1->value()),
        f.RotationAxis, f.RotationAngle };
    return picture(request);
}

std::string contents(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), {} };
}

TEST(Picture, APictureTooLargeToDrawAtOnceIsDrawnInBandsAsAWhole)
{
    test::TempDir dir;
    const PictureRequest request { TRIVIEW_EXAMPLES_DIR "/terrain.tri", { 2100, 2100 },
        kStartDistance, { 0, 1, 0 }, 0.6f, false, false, D3DDEVTYPE_REF };
    const QImage expected = picture(request);
    const std::string file = dir.path() / "banded.png";
    ModelView banded(newDirectX8); // two bands: 1997 rows and 103
    ASSERT_FALSE(renderPicture(request, file, "png", makePictureEncoder, banded));
    EXPECT_EQ(QImage(QString::fromStdString(file)).convertToFormat(expected.format()), expected);
}

TEST(Form1, ADroppedFileOpensAsIfTypedAndOneThatFailsKeepsTheModel)
{
    test::TempDir dir;
    const std::string cube = TRIVIEW_EXAMPLES_DIR "/cube.tri";
    const std::string odd = dir.write("m\xff b\n.tri", contents(cube)); // not UTF-8, blank, newline
    const std::string bad = dir.write("bad.tri", "Triangle\n1,2,x\n");
    Harness h;
    h.form.load();
    h.form.HScroll1->setValue(5); // the pose stays through a drop
    // As the window system hands a drop to the window: enter, then drop.
    const auto drop = [&](const QByteArray& uri) {
        QMimeData data;
        data.setData("text/uri-list", uri + "\r\n");
        const QPoint at(300, 300);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(h.form.windowHandle(), &enter);
        QDropEvent event(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(h.form.windowHandle(), &event);
        QCoreApplication::processEvents();
        return enter.isAccepted() && event.isAccepted();
    };
    const auto uri = [](const std::string& file) {
        return "file://" + QByteArray::fromStdString(file).toPercentEncoding("/");
    };
    EXPECT_FALSE(drop("https://example.org/model.tri"));
    EXPECT_FALSE(drop("trash:/model.tri")); // no host, but not a file
    EXPECT_FALSE(drop("file://elsewhere.example" + uri(cube).mid(7))); // another host's
    EXPECT_EQ(h.runtime.messages.size(), 1u); // the demonstration's warning alone

    const QImage cubePicture = rendered(cube, h.form);
    ASSERT_TRUE(drop(uri(odd)));
    ASSERT_EQ(h.runtime.messages.size(), 2u);
    EXPECT_EQ(h.runtime.messages[1].text, "您的3D模組總共由 12個三角形組成的!");
    EXPECT_EQ(h.form.ModelFileName, odd);
    EXPECT_TRUE(eventually([&] { return h.frame() == cubePicture; }));
    // What a screen reader hears follows the model dropped.
    EXPECT_EQ(h.form.Picture1->accessibleName().toStdString(), shownSafely("m\xff b\n.tri"));
    EXPECT_EQ(h.form.Picture1->accessibleDescription().toStdString().substr(0, 15), "12 個三角形");

    ASSERT_TRUE(drop(uri(bad) + "\r\n" + uri(odd))); // several: the first
    ASSERT_EQ(h.runtime.messages.size(), 4u); // counted, then failing as at start-up
    EXPECT_EQ(h.runtime.messages[2].text, "您的3D模組總共由 1個三角形組成的!");
    EXPECT_TRUE(h.runtime.messages[3].text.starts_with("執行階段錯誤 '13'"));
    EXPECT_NE(h.runtime.messages[3].text.find("第 2 行"), std::string::npos);
    EXPECT_FALSE(h.form.ended());
    EXPECT_EQ(h.form.ModelFileName, odd);
    QTest::qWait(100);
    EXPECT_EQ(h.frame(), cubePicture);
}

TEST(Form1, AFollowedFileIsReadAgainWhenItChangesAndAFailedReadKeepsTheModel)
{
    test::TempDir dir;
    const std::string examples = TRIVIEW_EXAMPLES_DIR "/";
    const std::filesystem::path folder = dir.path() / "models";
    const std::string file = folder / "model.tri";
    const auto write = [&](const std::filesystem::path& to, std::string_view text) {
        std::ofstream(to, std::ios::binary | std::ios::app) << text;
    };
    std::filesystem::create_directory(folder);
    write(file, contents(examples + "cube.tri"));
    Harness h({ file }), unasked({ file }); // without --watch nothing is followed
    h.form.followModelFile();
    h.form.load();
    unasked.form.load();
    ASSERT_TRUE(eventually([&] { return !unasked.frame().isNull(); }));
    const QImage unchanged = unasked.frame();
    enum class How { InPlace, Renamed, Removed, Slowly, FolderRemade };
    const std::string triangle = "Triangle\n255,0,0,0,0,0\n0,0,0,0,0,0\n0,300,0,0,0,0\n";
    const struct
    {
        std::string model; // an example's name, or a model's text
        How how;
        const char* title; // what the title adds
    } steps[] = {
        { "sphere.tri", How::InPlace, "" },
        { "terrain.tri", How::Renamed, "" }, // as editors save: a new file renamed over it
        { "Triangle\n255,0,0,0,0,0\n0,0", How::InPlace,
            " — 執行階段錯誤 '62': 輸入超過檔案結尾,第 3 行" },
        { "cube.tri", How::InPlace, "" },
        { "", How::Removed, " — 執行階段錯誤 '53': 找不到檔案" },
        { "sphere.tri", How::Renamed, "" },
        { triangle + "300,0,0,0,0,0", How::InPlace, "" },
        { triangle + "-300,0,0,0,0,0", How::InPlace, "" }, // as many triangles, other corners
        { "terrain.tri", How::Slowly, "" }, // over more than the quiet time, read whole
        { "cube.tri", How::FolderRemade, "" },
    };
    QImage shown = h.frame();
    for (const auto& step : steps) {
        SCOPED_TRACE(step.model);
        const std::string text
            = step.model.ends_with(".tri") ? contents(examples + step.model) : step.model;
        const std::string expectedModel = dir.write("expected.tri", text);
        const QImage expected = *step.title ? shown : rendered(expectedModel, h.form);
        std::filesystem::remove(dir.path() / "new.tri");
        switch (step.how) {
        case How::InPlace:
            std::filesystem::resize_file(file, 0);
            write(file, text);
            break;
        case How::Renamed:
            write(dir.path() / "new.tri", text);
            std::filesystem::rename(dir.path() / "new.tri", file);
            break;
        case How::Removed:
            std::filesystem::remove(file);
            break;
        case How::Slowly: // each piece sooner than the quiet time, all of them later
            std::filesystem::resize_file(file, 0);
            for (std::size_t piece = 0; piece < 8; ++piece) {
                const std::size_t from = piece * text.size() / 8;
                write(file, text.substr(from, (piece + 1) * text.size() / 8 - from));
                QTest::qWait(FileFollower::kQuietMs / 4);
                EXPECT_FALSE(h.form.windowTitle().contains("'62'")) << "read half-written";
            }
            break;
        case How::FolderRemade:
            std::filesystem::remove_all(folder);
            EXPECT_TRUE(eventually([&] { return h.form.windowTitle().contains("'76'"); }));
            std::filesystem::create_directory(folder);
            write(file, text);
            break;
        }
        const QString title = QStringLiteral("天才Tovan3D模型秀圖") + QString::fromUtf8(step.title);
        EXPECT_TRUE(eventually([&] { return h.form.windowTitle() == title; }))
            << h.form.windowTitle().toStdString();
        EXPECT_TRUE(eventually([&] { return h.frame() == expected; }));
        shown = h.frame();
        // The window not asked to follow it reads nothing, a broken model neither.
        EXPECT_EQ(unasked.form.windowTitle(), QStringLiteral("天才Tovan3D模型秀圖"));
    }
    EXPECT_EQ(h.runtime.messages.size(), 1u); // the first count alone
    // What a screen reader hears follows the model read again.
    EXPECT_EQ(h.form.Picture1->accessibleDescription().toStdString().substr(0, 15), "12 個三角形");
    QTest::qWait(300); // time enough for a read and a tick
    EXPECT_EQ(unasked.frame(), unchanged);
}

// The picture --render --turn draws for the pose the picture's description
// reports ("... 距離 8,旋轉 AX,AY,AZ:ANGLE").
QImage describedPose(const Form1& f)
{
    const std::string said = f.Picture1->accessibleDescription().toStdString();
    const std::string distance
        = said.substr(said.find("距離 ") + 7, said.find(',') - said.find("距離 ") - 7);
    std::vector<std::string> words { "triview", "--render", "x.png", "--distance",
        distance.substr(0, distance.find(',')), "--turn", said.substr(said.rfind(' ') + 1) };
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    const CommandLine line = parseCommandLine(int(argv.size()), argv.data(), writableFormats);
    EXPECT_EQ(line.action, CommandLine::Action::Render) << said;
    return picture(pictureRequest(line));
}

TEST(Form1, TheMouseTheWheelAndTheKeysTurnAndMoveTheModel)
{
    Harness h;
    Form1& f = h.form;
    f.load();
    ASSERT_TRUE(eventually([&] { return !h.frame().isNull(); }));
    EXPECT_EQ(f.Picture1->accessibleName().toStdString(), "示範模型");
    EXPECT_EQ(f.Picture1->accessibleDescription().toStdString(), "3 個三角形,距離 8,旋轉 0,0,0:0");
    const auto mouse = [&](QEvent::Type type, QPointF at, Qt::MouseButtons held) {
        QMouseEvent event(type, at, f.Picture1->mapToGlobal(at), Qt::LeftButton, held, {});
        QCoreApplication::sendEvent(f.Picture1, &event);
    };
    const auto drag = [&](QPointF from, QPointF to) {
        mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
        mouse(QEvent::MouseMove, (from + to) / 2, Qt::LeftButton);
        mouse(QEvent::MouseMove, to, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, to, Qt::NoButton);
    };
    const auto settled = [&] { // a tick drew what the state asks for, and said it
        QTest::qWait(120);
        return h.frame();
    };
    const QImage start = settled();
    drag({ 200, 200 }, { 200, 200 }); // a click: nothing
    EXPECT_EQ(settled(), start);

    const auto expectDescribed = [&](const char* what) {
        const QImage shown = settled();
        EXPECT_NE(shown, start) << what;
        EXPECT_EQ(shown, describedPose(f))
            << what << ": " << f.Picture1->accessibleDescription().toStdString();
        return shown;
    };
    drag({ 300, 300 }, { 380, 260 });
    const QImage afterDrag = expectDescribed("a drag");
    f.Command3->click(); // the buttons' small turn, on top of the drag's pose
    const QImage afterButton = expectDescribed("a button after a drag");
    EXPECT_NE(afterButton, afterDrag);
    EXPECT_EQ(f.RotationAngle, 0.1f);

    f.Check1->setCheckState(Qt::Checked);
    drag({ 300, 300 }, { 100, 100 }); // the clock's: a drag does nothing
    settled();
    EXPECT_TRUE(f.Picture1->accessibleDescription().endsWith(QStringLiteral("旋轉 自動")));
    f.Check1->setCheckState(Qt::Unchecked);
    EXPECT_EQ(settled(), afterButton);

    f.Picture1->setFocus();
    QTest::keyClick(f.Picture1, Qt::Key_Home);
    QTest::keyClick(f.Picture1, Qt::Key_Right);
    const QImage arrow = expectDescribed("the right arrow"); // a short drag to the right
    QTest::keyClick(f.Picture1, Qt::Key_Home);
    const QPointF middle(f.Picture1->width() / 2.0, f.Picture1->height() / 2.0);
    drag(middle, middle + QPointF(12, 0));
    EXPECT_EQ(settled(), arrow);
    QTest::keyClick(f.Picture1, Qt::Key_Home); // the drag's turn dropped: the buttons' alone
    settled();
    EXPECT_TRUE(f.Picture1->accessibleDescription().endsWith(QStringLiteral("旋轉 0,1,0:0.1")));
    drag({ 300, 300 }, { 320, 330 });
    QTest::mouseDClick(f.Picture1, Qt::LeftButton, {}, QPoint(320, 330));
    settled();
    EXPECT_TRUE(f.Picture1->accessibleDescription().endsWith(QStringLiteral("旋轉 0,1,0:0.1")));

    // Forward nearer, a step a notch; eighths of a notch add up; the range holds.
    const auto wheel = [&](int eighths) {
        QWheelEvent event({ 300, 300 }, f.Picture1->mapToGlobal(QPointF(300, 300)), {},
            { 0, eighths }, Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(f.Picture1, &event);
        return f.HScroll1->value();
    };
    EXPECT_EQ(wheel(120), 7);
    EXPECT_EQ(wheel(60), 7);
    EXPECT_EQ(wheel(60), 6);
    EXPECT_EQ(wheel(-360), 9);
    for (int i = 0; i < 20; ++i)
        wheel(120);
    EXPECT_EQ(f.HScroll1->value(), 1);
    expectDescribed("nearest");
}

TEST(Form1, FatalErrorInATickReportsOnceAndEnds)
{
    Harness h;
    h.form.load();
    ASSERT_TRUE(eventually([&] { return !h.frame().isNull(); })); // frames are being drawn
    float angleDuringReport = -1;
    h.runtime.onMessage = [&] {
        h.form.dispatch([&] { h.form.Command1_Click(); }); // nothing runs once it is up
        angleDuringReport = h.form.RotationAngle;
    };
    QSignalSpy ended(&h.form, &Form1::programEnded);
    h.seam->fail("Clear", D3DERR_INVALIDCALL);
    h.form.HScroll1->setValue(9); // a frame to draw
    ASSERT_TRUE(eventually([&] { return h.runtime.messages.size() == 2; }));
    QTest::qWait(200); // no second report, no further tick
    ASSERT_EQ(h.runtime.messages.size(), 2u);
    EXPECT_TRUE(h.runtime.messages[1].text.starts_with("執行階段錯誤 '-2005530516"));
    EXPECT_EQ(angleDuringReport, 0.0f);
    EXPECT_FALSE(h.form.Timer1->isActive());
    ASSERT_EQ(ended.count(), 1);
    EXPECT_EQ(ended.at(0).at(0).toInt(), 1);
}

TEST(Form1, ClosingReleasesTheDeviceAndEndsWithZero)
{
    Harness h;
    h.form.load();
    h.form.Check1->setCheckState(Qt::Checked); // also while turning by the clock
    QSignalSpy ended(&h.form, &Form1::programEnded);
    h.seam->clearJournal();
    EXPECT_TRUE(h.form.close());
    EXPECT_EQ(h.seam->journal(),
        (Texts { "Release:VertexBuffer", "Release:Device", "Release:Direct3D" }));
    ASSERT_EQ(ended.count(), 1);
    EXPECT_EQ(ended.at(0).at(0).toInt(), 0);
    EXPECT_FALSE(h.form.Timer1->isActive());
    EXPECT_EQ(h.runtime.messages.size(), 1u); // nothing asked on closing
}

} // namespace
} // namespace triview
