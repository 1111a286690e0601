// The runtime services on Qt: the dialogs, answered while they are up, and
// the clock.
#include "QtPrinters.h"
#include "window/QtRuntimeServices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QLocale>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTime>
#include <QTimer>
#include <array>
#include <gtest/gtest.h>

namespace triview {
namespace {

// Runs answer on the modal dialog once it is up.
template <typename Dialog> void whenShown(std::function<void(Dialog*)> answer)
{
    QTimer::singleShot(0, [answer] {
        ASSERT_TRUE(QTest::qWaitFor(
            [] { return qobject_cast<Dialog*>(QApplication::activeModalWidget()); }));
        answer(qobject_cast<Dialog*>(QApplication::activeModalWidget()));
    });
}

// A style that puts icons on dialog buttons, as some themes do.
struct IconStyle : QProxyStyle
{
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
        QStyleHintReturn* data) const override
    {
        return hint == SH_DialogButtonBox_ButtonsHaveIcons
            ? 1
            : QProxyStyle::styleHint(hint, option, widget, data);
    }
};

// The dialog's buttons: their texts, sorted, and "icons" if any has one.
QString buttons(QWidget* dialog)
{
    QStringList texts;
    for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
        texts << (button->icon().isNull() ? button->text() : QStringLiteral("icons"));
    texts.sort();
    return texts.join(u' ');
}

// Cancelling the input box is the end-to-end test's. The buttons speak the
// window's language, whatever the locale, and carry no icon.
TEST(QtRuntimeServices, DialogsShowTheirTextsAndPlainButtonsAndGiveTheAnswer)
{
    QApplication::setStyle(new IconStyle);
    QLocale::setDefault(QLocale(QLocale::German));
    QtRuntimeServices runtime;
    QStringList seen;
    whenShown<QInputDialog>([&](QInputDialog* dialog) {
        seen = { dialog->windowTitle(), dialog->labelText(), dialog->textValue(), buttons(dialog) };
        dialog->setTextValue(QStringLiteral("模型 1.tri"));
        dialog->accept();
    });
    EXPECT_EQ(runtime.inputBox("請輸入3D模組檔名(tri檔):", "檔名輸入"), "模型 1.tri");
    EXPECT_EQ(seen, QStringList({ "檔名輸入", "請輸入3D模組檔名(tri檔):", "", "取消 確定" }));
    whenShown<QMessageBox>([&](QMessageBox* box) {
        seen = { box->windowTitle(), box->text(), QString::number(box->icon()), buttons(box) };
        box->button(QMessageBox::Ok)->click();
    });
    runtime.messageBox("不能建立D3D Device", std::nullopt); // untitled: the program's name
    EXPECT_EQ(seen, QStringList({ "triview", "不能建立D3D Device", "0", "確定" }));
}

// A long name loses its middle; the program's own words and the count are
// shown whole, however narrow the screen, and the box stays on it.
TEST(QtRuntimeServices, OnlyNamesAreShortenedAndTheDialogStaysOnTheScreen)
{
    const std::string name = "/start" + std::string(4000, 'x') + "/end.tri";
    std::string words;
    for (int i = 0; i < 12; ++i)
        words += "您的3D模組總共由" + std::to_string(10911 + i) + "個三角形組成的!";
    for (const auto& [shown, start, end] :
        { std::array<std::string, 3> { "找不到檔案\n\n檔案: " + name + "\n第 7 行",
              "找不到檔案\n\n檔案: /start", "/end.tri\n第 7 行" },
            { "第 2 行\n欄位內容: \"" + name + "\"", "第 2 行\n欄位內容: \"/start", "/end.tri\"" },
            { words, words, words } }) {
        QString text;
        whenShown<QMessageBox>([&](QMessageBox* box) {
            text = box->text();
            EXPECT_LE(box->frameGeometry().width(), box->screen()->availableGeometry().width());
            box->button(QMessageBox::Ok)->click();
        });
        QtRuntimeServices().messageBox(shown, std::nullopt);
        EXPECT_TRUE(text.startsWith(QString::fromStdString(start))
            && text.endsWith(QString::fromStdString(end))
            && text.contains(u'…') == (start != shown))
            << text.toStdString();
    }
}

TEST(QtRuntimeServices, TimerIsSecondsSinceMidnightWithTheirFraction)
{
    // Well inside a second, and so away from midnight too: a clock that
    // drops the fraction shows.
    ASSERT_TRUE(QTest::qWaitFor(
        [] { return QTime::currentTime().msec() > 200 && QTime::currentTime().msec() < 800; }));
    const double expected = QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
    EXPECT_NEAR(QtRuntimeServices().timer(), expected, 0.1);
}

} // namespace
} // namespace triview
