// The window: layout and settings, the handlers' arithmetic, the start-up
// sequence with scripted dialogs, the fatal path and closing.
#include "LeakCheck.h"
#include "ScriptedRuntime.h"
#include "TempFile.h"
#include "app/Form1.h"
#include "app/PictureBox.h"
#include "model/TriVertex.h"
#include "render/DeviceSeam.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <bit>
#include <cstring>

using namespace triview;

namespace {

// A window with scripted dialogs and a watched device.
struct Harness
{
    explicit Harness(std::deque<std::string> answers = {})
    {
        runtime.answers = std::move(answers);
        runtime.onDoEvents = [] { QCoreApplication::processEvents(); };
    }
    std::shared_ptr<DeviceSeam> seam = std::make_shared<DeviceSeam>();
    test::ScriptedRuntime runtime;
    Form1 form { runtime, [this] { return std::make_unique<DirectX8>(seam); } };

    std::vector<std::string> texts() const
    {
        std::vector<std::string> all;
        for (const auto& m : runtime.messages)
            all.push_back(m.text);
        return all;
    }
    bool journalHas(const std::string& operation) const
    {
        const auto& j = seam->journal();
        return std::find(j.begin(), j.end(), operation) != j.end();
    }
};

QRect twips(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

const std::string kWarning = "沒輸入檔名,程式將跑DEMO!";

} // namespace

class tst_Form1 : public QObject
{
    Q_OBJECT

private slots:
    void windowIsFixedAndTitled();
    void controlsSitWhereTheLayoutPutsThem_data();
    void controlsSitWhereTheLayoutPutsThem();
    void namedFontsResolveToInstalledFaces_data();
    void namedFontsResolveToInstalledFaces();
    void textColours();
    void initialSettings();
    void tabOrderFollowsTheTabIndex();
    void disabledFrameButtonsTakeNoClicks();

    void rotationButtonsSetAxisAndStep_data();
    void rotationButtonsSetAxisAndStep();
    void tenPlusPressesGiveTheFloatSum();
    void plusThenMinusLeavesTheRoundingResidue();
    void checkBoxSwitchesTheFramesOnly_data();
    void checkBoxSwitchesTheFramesOnly();

    void noFileNameRunsTheDemonstration_data();
    void noFileNameRunsTheDemonstration();
    void fileNameIsCountedReportedAndLoaded();
    void nameOfBlanksIsAFileName();
    void missingFileFailsBeforeTheWindowShows();
    void fileWithoutHeadersReportsZeroThenFails();
    void deviceFailureIsTheOnlyMessageAfterTheCount();
    void vertexBufferFailureEndsWithoutTheTimer();
    void timerStartsOnlyAsTheLastStep();
    void closingDuringStartUpStopsIt();

    void buttonPressShowsAtTheNextTick();
    void clearingCheck1ReturnsToTheButtonsPose();
    void fatalErrorInATickReportsOnceAndEnds();
    void closingReleasesTheDeviceAndEndsWithZero();
};

void tst_Form1::windowIsFixedAndTitled()
{
    Harness h;
    QCOMPARE(h.form.windowTitle(), QStringLiteral("天才Tovan3D模型秀圖"));
    QCOMPARE(h.form.size(), QSize(648, 673));
    QCOMPARE(h.form.minimumSize(), h.form.maximumSize());
}

void tst_Form1::controlsSitWhereTheLayoutPutsThem_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::newRow("Picture1") << "Picture1"
                              << "Form1" << twips(120, 120, 9495, 9015) << "";
    QTest::newRow("Label2") << "Label2"
                            << "Form1" << twips(120, 9240, 1095, 255) << "距離調整:";
    QTest::newRow("HScroll1") << "HScroll1"
                              << "Form1" << twips(1320, 9240, 8295, 255) << "";
    QTest::newRow("Label3") << "Label3"
                            << "Form1" << twips(1320, 9600, 255, 255) << "近";
    QTest::newRow("Label4") << "Label4"
                            << "Form1" << twips(9360, 9600, 255, 255) << "遠";
    QTest::newRow("Label5") << "Label5"
                            << "Form1" << twips(1680, 9720, 375, 255) << "旋轉:";
    QTest::newRow("Frame1") << "Frame1"
                            << "Form1" << twips(2160, 9600, 855, 495) << "X軸";
    QTest::newRow("Command1") << "Command1"
                              << "Frame1" << twips(120, 240, 255, 225) << "+";
    QTest::newRow("Command2") << "Command2"
                              << "Frame1" << twips(480, 240, 255, 225) << "-";
    QTest::newRow("Frame2") << "Frame2"
                            << "Form1" << twips(3120, 9600, 855, 495) << "Y軸";
    QTest::newRow("Command3") << "Command3"
                              << "Frame2" << twips(120, 240, 255, 225) << "+";
    QTest::newRow("Command4") << "Command4"
                              << "Frame2" << twips(480, 240, 255, 225) << "-";
    QTest::newRow("Frame3") << "Frame3"
                            << "Form1" << twips(4080, 9600, 855, 495) << "Z軸";
    QTest::newRow("Command5") << "Command5"
                              << "Frame3" << twips(120, 240, 255, 225) << "+";
    QTest::newRow("Command6") << "Command6"
                              << "Frame3" << twips(480, 240, 255, 225) << "-";
    QTest::newRow("Check1") << "Check1"
                            << "Form1" << twips(5040, 9720, 975, 255) << "自動旋轉";
    QTest::newRow("Label1") << "Label1"
                            << "Form1" << twips(6120, 9840, 3495, 255) << "*";
}

namespace {

QWidget* control(Form1& f, const QString& name)
{
    const std::map<QString, QWidget*> controls = {
        { "Form1", &f },
        { "Picture1", f.Picture1 },
        { "Label1", f.Label1 },
        { "Label2", f.Label2 },
        { "Label3", f.Label3 },
        { "Label4", f.Label4 },
        { "Label5", f.Label5 },
        { "HScroll1", f.HScroll1 },
        { "Frame1", f.Frame1 },
        { "Frame2", f.Frame2 },
        { "Frame3", f.Frame3 },
        { "Command1", f.Command1 },
        { "Command2", f.Command2 },
        { "Command3", f.Command3 },
        { "Command4", f.Command4 },
        { "Command5", f.Command5 },
        { "Command6", f.Command6 },
        { "Check1", f.Check1 },
    };
    return controls.at(name);
}

QString captionOf(QWidget* w)
{
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    if (auto* frame = qobject_cast<QGroupBox*>(w))
        return frame->title();
    return {};
}

} // namespace

void tst_Form1::controlsSitWhereTheLayoutPutsThem()
{
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    Harness h;
    QWidget* w = control(h.form, name);
    QCOMPARE(w->parentWidget(), control(h.form, container));
    QCOMPARE(w->geometry(), geometry);
    if (caption == "*")
        QVERIFY(!captionOf(w).isEmpty());
    else
        QCOMPARE(captionOf(w), caption);
    QVERIFY(w->isEnabled());
}

void tst_Form1::namedFontsResolveToInstalledFaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("family");
    QTest::addColumn<qreal>("points");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<QString>("face");
    QTest::newRow("Label2") << "Label2"
                            << "新細明體" << 12.0 << false << "AR PL UMing TW";
    QTest::newRow("Label5") << "Label5"
                            << "新細明體" << 8.25 << false << "AR PL UMing TW";
    QTest::newRow("Check1") << "Check1"
                            << "新細明體" << 8.25 << false << "AR PL UMing TW";
    QTest::newRow("Label1") << "Label1"
                            << "Monotype Corsiva" << 9.75 << true << "Z003";
}

void tst_Form1::namedFontsResolveToInstalledFaces()
{
    QFETCH(QString, name);
    QFETCH(QString, family);
    QFETCH(qreal, points);
    QFETCH(bool, italic);
    QFETCH(QString, face);
    Harness h;
    const QFont font = control(h.form, name)->font();
    QCOMPARE(font.family(), family);
    QCOMPARE(font.pointSizeF(), points);
    QCOMPARE(font.italic(), italic);
    QCOMPARE(font.weight(), QFont::Normal);
    QVERIFY(!font.bold() && !font.underline() && !font.strikeOut());
    // Qt names the foundry too when two provide the face: "Z003 [urw]".
    QCOMPARE(QFontInfo(font).family().section(QStringLiteral(" ["), 0, 0), face);
}

void tst_Form1::textColours()
{
    Harness h;
    QCOMPARE(h.form.Label3->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(h.form.Label4->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(h.form.Label5->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QCOMPARE(h.form.Check1->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QCOMPARE(h.form.Label2->palette().color(QPalette::WindowText),
        QApplication::palette(h.form.Label2).color(QPalette::WindowText));
    // The frames, buttons and Label3/Label4 keep the window's default font.
    QCOMPARE(h.form.Label3->font(), h.form.font());
    QCOMPARE(h.form.Command1->font(), h.form.font());
}

void tst_Form1::initialSettings()
{
    Harness h;
    QCOMPARE(h.form.HScroll1->minimum(), 1);
    QCOMPARE(h.form.HScroll1->maximum(), 15);
    QCOMPARE(h.form.HScroll1->value(), 8);
    QCOMPARE(h.form.HScroll1->singleStep(), 1);
    QCOMPARE(h.form.HScroll1->pageStep(), 1);
    QCOMPARE(h.form.HScroll1->orientation(), Qt::Horizontal);
    QCOMPARE(h.form.Timer1->interval(), 40);
    QVERIFY(!h.form.Timer1->isActive());
    QCOMPARE(h.form.Check1Value(), std::int16_t { 0 });
}

void tst_Form1::tabOrderFollowsTheTabIndex()
{
    Harness h;
    h.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.form));
    h.form.activateWindow();
    QApplication::setActiveWindow(&h.form);
    h.form.Picture1->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(h.form.Picture1));
    const QList<QWidget*> expected
        = { h.form.HScroll1, h.form.Check1, h.form.Command1, h.form.Command2, h.form.Command3,
              h.form.Command4, h.form.Command5, h.form.Command6, h.form.Picture1 };
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

void tst_Form1::disabledFrameButtonsTakeNoClicks()
{
    Harness h;
    h.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.form));
    h.form.Check1->setCheckState(Qt::Checked);
    QVERIFY(!h.form.Command1->isEnabled());
    QTest::mouseClick(h.form.Command1, Qt::LeftButton);
    QCOMPARE(h.form.RotationAngle, 0.0f);
    QCOMPARE(h.form.Command1->focusPolicy() != Qt::NoFocus && h.form.Command1->isEnabled(), false);
    h.form.Check1->setCheckState(Qt::Unchecked);
    QTest::mouseClick(h.form.Command1, Qt::LeftButton);
    QCOMPARE(h.form.RotationAngle, static_cast<float>(0.1));
}

void tst_Form1::rotationButtonsSetAxisAndStep_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<float>("z");
    QTest::addColumn<double>("step");
    QTest::newRow("Command1 X+") << 1 << 1.0f << 0.0f << 0.0f << 0.1;
    QTest::newRow("Command2 X-") << 2 << 1.0f << 0.0f << 0.0f << -0.1;
    QTest::newRow("Command3 Y+") << 3 << 0.0f << 1.0f << 0.0f << 0.1;
    QTest::newRow("Command4 Y-") << 4 << 0.0f << 1.0f << 0.0f << -0.1;
    QTest::newRow("Command5 Z+") << 5 << 0.0f << 0.0f << 1.0f << 0.1;
    QTest::newRow("Command6 Z-") << 6 << 0.0f << 0.0f << 1.0f << -0.1;
}

void tst_Form1::rotationButtonsSetAxisAndStep()
{
    QFETCH(int, button);
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(float, z);
    QFETCH(double, step);
    Harness h;
    h.form.RotationAxis = { 7, 7, 7 }; // all three components are written
    h.form.RotationAngle = 0.5f;
    const QList<QPushButton*> buttons = { h.form.Command1, h.form.Command2, h.form.Command3,
        h.form.Command4, h.form.Command5, h.form.Command6 };
    buttons[button - 1]->click();
    QCOMPARE(h.form.RotationAxis.x, x);
    QCOMPARE(h.form.RotationAxis.y, y);
    QCOMPARE(h.form.RotationAxis.z, z);
    QCOMPARE(h.form.RotationAngle, static_cast<float>(0.5 + step));
}

void tst_Form1::tenPlusPressesGiveTheFloatSum()
{
    Harness h;
    for (int i = 0; i < 10; ++i)
        h.form.Command1->click();
    QCOMPARE(std::bit_cast<std::uint32_t>(h.form.RotationAngle), 0x3F800001u); // 1.00000012
    h.form.Command3->click();
    QCOMPARE(h.form.RotationAngle, 1.10000014f);
    QCOMPARE(h.form.RotationAxis.y, 1.0f);
    QCOMPARE(h.form.RotationAxis.x, 0.0f);
}

void tst_Form1::plusThenMinusLeavesTheRoundingResidue()
{
    Harness h;
    h.form.Command1->click();
    h.form.Command2->click();
    QVERIFY(h.form.RotationAngle != 0.0f);
    QVERIFY(qAbs(h.form.RotationAngle - 1.49e-9f) < 0.01e-9f);
}

void tst_Form1::checkBoxSwitchesTheFramesOnly_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("framesEnabled");
    QTest::newRow("checked") << int(Qt::Checked) << false;
    QTest::newRow("greyed acts as clear") << int(Qt::PartiallyChecked) << true;
    QTest::newRow("clear") << int(Qt::Unchecked) << true;
}

void tst_Form1::checkBoxSwitchesTheFramesOnly()
{
    QFETCH(int, state);
    QFETCH(bool, framesEnabled);
    Harness h;
    h.form.Command3->click();
    h.form.Check1->setTristate(true);
    h.form.Check1->setCheckState(Qt::Checked);
    h.form.Check1->setCheckState(static_cast<Qt::CheckState>(state));
    for (QGroupBox* frame : { h.form.Frame1, h.form.Frame2, h.form.Frame3 })
        QCOMPARE(frame->isEnabled(), framesEnabled);
    QCOMPARE(h.form.RotationAxis.y, 1.0f);
    QCOMPARE(h.form.RotationAngle, static_cast<float>(0.1));
}

void tst_Form1::noFileNameRunsTheDemonstration_data()
{
    QTest::addColumn<bool>("cancelled");
    QTest::newRow("empty answer") << false;
    QTest::newRow("cancelled") << true; // the input box gives "" on Cancel
}

void tst_Form1::noFileNameRunsTheDemonstration()
{
    QFETCH(bool, cancelled);
    Harness h(cancelled ? std::deque<std::string> {} : std::deque<std::string> { "" });
    h.form.load();
    QCOMPARE(h.runtime.prompts, std::vector<std::string> { "檔名輸入: 請輸入3D模組檔名(tri檔):" });
    QCOMPARE(h.runtime.messages.size(), std::size_t { 1 });
    QCOMPARE(h.runtime.messages[0].text, kWarning);
    QCOMPARE(h.runtime.messages[0].title, std::optional<std::string>("警告"));
    QCOMPARE(h.form.TriangleCount, std::int16_t { 3 });
    QCOMPARE(h.form.DemoMode, vbTrue);
    QVERIFY(h.form.isVisible());
    QVERIFY(h.form.Timer1->isActive());
    QVERIFY(!h.form.ended());
    QCOMPARE(h.form.d3d.VertexBuffer->length(), 144);
}

void tst_Form1::fileNameIsCountedReportedAndLoaded()
{
    test::TempDir dir;
    std::string text;
    for (int k = 0; k < 12; ++k)
        text += "Triangle\r\n0,0," + std::to_string(k) + ",0,0,0\r\n" + std::to_string(k)
            + ",1,2,0,0,0\r\n3,4,5,0,0,0\r\n6,7,8,0,0,0\r\n";
    const std::string path = dir.write("twelve.tri", text);
    Harness h({ path });
    h.form.load();
    QCOMPARE(h.texts(), std::vector<std::string> { "您的3D模組總共由 12個三角形組成的!" });
    QCOMPARE(h.runtime.messages[0].title, std::optional<std::string>("三角形數"));
    QCOMPARE(h.form.ModelFileName, path);
    QCOMPARE(h.form.DemoMode, vbFalse);
    QCOMPARE(h.form.VertexCursor, std::int16_t { 36 });
    QVERIFY(h.form.Timer1->isActive());

    // The buffer holds every record, in file order.
    const std::vector<std::byte> bytes = h.form.d3d.VertexBuffer->contents();
    QCOMPARE(bytes.size(), std::size_t { 12 * 48 });
    for (int k = 0; k < 12; ++k) {
        TriVertex first;
        std::memcpy(&first, bytes.data() + 48 * k, sizeof first);
        QCOMPARE(first.x, float(k));
        QCOMPARE(first.colour, 0xFF000000u | std::uint32_t(k));
    }
}

void tst_Form1::nameOfBlanksIsAFileName()
{
    Harness h({ "   " });
    h.form.load();
    QCOMPARE(h.runtime.messages.size(), std::size_t { 1 });
    const std::string& report = h.runtime.messages[0].text;
    QVERIFY(report.find("'53'") != std::string::npos);
    QVERIFY(report.find("找不到檔案") != std::string::npos);
    QVERIFY(report.find("檔案:    ") != std::string::npos);
    QVERIFY(h.form.ended());
}

void tst_Form1::missingFileFailsBeforeTheWindowShows()
{
    Harness h({ "/no/such/folder/model.tri" });
    bool visibleAtReport = true;
    h.runtime.onMessage = [&](const auto&) { visibleAtReport = h.form.isVisible(); };
    QSignalSpy ended(&h.form, &Form1::programEnded);
    h.form.load();
    QCOMPARE(h.runtime.messages.size(), std::size_t { 1 });
    QVERIFY(h.runtime.messages[0].text.find("找不到路徑") != std::string::npos);
    QVERIFY(h.runtime.messages[0].text.find("/no/such/folder/model.tri") != std::string::npos);
    QVERIFY(!visibleAtReport);
    QVERIFY(h.seam->journal().empty());
    QCOMPARE(h.form.exitStatus(), 1);
    QCOMPARE(ended.count(), 1);
}

void tst_Form1::fileWithoutHeadersReportsZeroThenFails()
{
    test::TempDir dir;
    Harness h({ dir.write("empty.tri", "") });
    h.form.load();
    QCOMPARE(h.runtime.messages.size(), std::size_t { 2 });
    QCOMPARE(h.runtime.messages[0].text, std::string("您的3D模組總共由 0個三角形組成的!"));
    QVERIFY(h.runtime.messages[1].text.find("輸入超過檔案結尾") != std::string::npos);
    QVERIFY(h.form.ended());
    QVERIFY(!h.form.Timer1->isActive());
}

void tst_Form1::deviceFailureIsTheOnlyMessageAfterTheCount()
{
    Harness h;
    h.seam->fail("CreateDevice", D3DERR_NOTAVAILABLE);
    h.form.load();
    QCOMPARE(h.texts(), (std::vector<std::string> { kWarning, "不能建立D3D Device" }));
    QVERIFY(!h.runtime.messages[1].title.has_value());
    QCOMPARE(h.form.exitStatus(), 1);
    QVERIFY(!h.form.Timer1->isActive());
    // Ended at once: no release of what was made.
    QVERIFY(h.form.d3d.D3DObject);
    QVERIFY(!h.journalHas("Release:Direct3D"));
}

void tst_Form1::vertexBufferFailureEndsWithoutTheTimer()
{
    Harness h;
    h.seam->yieldNothing("CreateVertexBuffer");
    h.form.load();
    QCOMPARE(h.texts(), (std::vector<std::string> { kWarning, "不能建立D3D VertexBuffer" }));
    QVERIFY(!h.runtime.messages[1].title.has_value());
    QCOMPARE(h.form.exitStatus(), 1);
    QVERIFY(!h.form.Timer1->isActive());
    QVERIFY(h.form.d3d.D3DDevice);
}

void tst_Form1::timerStartsOnlyAsTheLastStep()
{
    Harness h;
    std::vector<bool> timerAt;
    h.runtime.onMessage = [&](const auto&) { timerAt.push_back(h.form.Timer1->isActive()); };
    h.runtime.onDoEvents = [&] {
        QCoreApplication::processEvents();
        timerAt.push_back(h.form.Timer1->isActive());
        timerAt.push_back(h.form.isVisible());
    };
    h.form.load();
    QCOMPARE(timerAt, (std::vector<bool> { false, false, true }));
    QCOMPARE(h.runtime.doEventsCalls, 1);
    QVERIFY(h.journalHas("CreateVertexBuffer"));
    QVERIFY(h.form.Timer1->isActive());
}

void tst_Form1::closingDuringStartUpStopsIt()
{
    Harness h;
    h.runtime.onDoEvents = [&] { h.form.close(); };
    h.form.load();
    QVERIFY(h.form.ended());
    QCOMPARE(h.form.exitStatus(), 0);
    QVERIFY(!h.journalHas("CreateDevice"));
    QVERIFY(!h.form.Timer1->isActive());
}

void tst_Form1::buttonPressShowsAtTheNextTick()
{
    Harness h;
    h.form.load();
    QTRY_VERIFY(!h.form.Picture1->frame().isNull());
    const QImage start = h.form.Picture1->frame();
    h.form.Command1->click();
    QTRY_VERIFY(h.form.Picture1->frame() != start);
}

void tst_Form1::clearingCheck1ReturnsToTheButtonsPose()
{
    Harness h;
    h.form.load();
    QTRY_VERIFY(!h.form.Picture1->frame().isNull());
    const QImage start = h.form.Picture1->frame();
    for (int i = 0; i < 3; ++i)
        h.form.Command3->click();
    QTRY_VERIFY(h.form.Picture1->frame() != start);
    const QImage pose = h.form.Picture1->frame();

    h.runtime.clock = 2.0f;
    h.form.Check1->setCheckState(Qt::Checked);
    QTRY_VERIFY(h.form.Picture1->frame() != pose);
    h.form.Check1->setCheckState(Qt::Unchecked);
    QTRY_VERIFY(h.form.Picture1->frame() == pose);
}

void tst_Form1::fatalErrorInATickReportsOnceAndEnds()
{
    Harness h;
    h.form.load();
    QVERIFY(h.form.Timer1->isActive());
    QTRY_VERIFY(!h.form.Picture1->frame().isNull()); // frames are being drawn

    float angleDuringReport = -1;
    h.runtime.onMessage = [&](const auto&) {
        // Nothing runs once the report is up.
        h.form.dispatch([&] { h.form.Command1_Click(); });
        angleDuringReport = h.form.RotationAngle;
    };
    QSignalSpy ended(&h.form, &Form1::programEnded);
    h.seam->fail("Clear", D3DERR_INVALIDCALL);
    QTRY_COMPARE(h.runtime.messages.size(), std::size_t { 2 });
    QTest::qWait(200);
    QCOMPARE(h.runtime.messages.size(), std::size_t { 2 });
    const std::string& report = h.runtime.messages[1].text;
    QVERIFY(report.find("-2005530516") != std::string::npos);
    QVERIFY(report.find("Clear") != std::string::npos);
    QVERIFY(!h.runtime.messages[1].title.has_value());
    QCOMPARE(angleDuringReport, 0.0f);
    QVERIFY(!h.form.Timer1->isActive());
    QCOMPARE(h.form.exitStatus(), 1);
    QCOMPARE(ended.count(), 1);
    QCOMPARE(ended.at(0).at(0).toInt(), 1);
}

void tst_Form1::closingReleasesTheDeviceAndEndsWithZero()
{
    Harness h;
    h.form.load();
    h.form.Check1->setCheckState(Qt::Checked); // closing while turning by the clock
    QSignalSpy ended(&h.form, &Form1::programEnded);
    h.seam->clearJournal();
    QVERIFY(h.form.close());
    QCOMPARE(h.seam->journal(),
        (std::vector<std::string> {
            "Release:VertexBuffer", "Release:Device", "Release:Direct3D" }));
    QVERIFY(h.form.d3d.DxRoot);
    QCOMPARE(ended.count(), 1);
    QCOMPARE(ended.at(0).at(0).toInt(), 0);
    QVERIFY(!h.form.Timer1->isActive());
    QCOMPARE(h.runtime.messages.size(), std::size_t { 1 }); // nothing asked on closing
}

TRIVIEW_QTEST_MAIN(tst_Form1)
#include "tst_form1.moc"
