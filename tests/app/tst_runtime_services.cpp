// The runtime services on Qt, driven as a user would: the input box and the
// message box, answered while they are up.
#include "LeakCheck.h"
#include "app/QtRuntimeServices.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTime>
#include <QTimer>
#include <functional>

using namespace triview;

namespace {

// Runs answer on the modal dialog once it is up.
template <typename Dialog> void whenShown(std::function<void(Dialog*)> answer)
{
    QTimer::singleShot(0, [answer] {
        QTRY_VERIFY(qobject_cast<Dialog*>(QApplication::activeModalWidget()) != nullptr);
        answer(qobject_cast<Dialog*>(QApplication::activeModalWidget()));
    });
}

} // namespace

class tst_RuntimeServices : public QObject
{
    Q_OBJECT

private slots:
    void inputBoxGivesTheTypedText();
    void inputBoxCancelGivesEmptyText();
    void messageBoxHasOkOnlyNoIconAndTheDefaultTitle();
    void timerIsSecondsSinceMidnight();
};

void tst_RuntimeServices::inputBoxGivesTheTypedText()
{
    QtRuntimeServices runtime;
    QString title, prompt, initial;
    whenShown<QInputDialog>([&](QInputDialog* dialog) {
        title = dialog->windowTitle();
        prompt = dialog->labelText();
        initial = dialog->textValue();
        dialog->setTextValue(QStringLiteral("模型 1.tri"));
        dialog->accept();
    });
    QCOMPARE(runtime.inputBox("請輸入3D模組檔名(tri檔):", "檔名輸入"), std::string("模型 1.tri"));
    QCOMPARE(title, QStringLiteral("檔名輸入"));
    QCOMPARE(prompt, QStringLiteral("請輸入3D模組檔名(tri檔):"));
    QVERIFY(initial.isEmpty());
}

void tst_RuntimeServices::inputBoxCancelGivesEmptyText()
{
    QtRuntimeServices runtime;
    whenShown<QInputDialog>([](QInputDialog* dialog) {
        dialog->setTextValue(QStringLiteral("typed, then cancelled"));
        dialog->reject();
    });
    QCOMPARE(runtime.inputBox("prompt", "title"), std::string());
}

void tst_RuntimeServices::messageBoxHasOkOnlyNoIconAndTheDefaultTitle()
{
    QtRuntimeServices runtime;
    for (const bool titled : { false, true }) {
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::Critical;
        qsizetype buttons = 0;
        whenShown<QMessageBox>([&](QMessageBox* box) {
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = box->buttons().size();
            box->button(QMessageBox::Ok)->click();
        });
        if (titled)
            runtime.messageBox("不能建立D3D Device", "警告");
        else
            runtime.messageBox("不能建立D3D Device", std::nullopt);
        QCOMPARE(title, titled ? QStringLiteral("警告") : QStringLiteral("triview"));
        QCOMPARE(text, QStringLiteral("不能建立D3D Device"));
        QCOMPARE(icon, QMessageBox::NoIcon);
        QCOMPARE(buttons, qsizetype { 1 });
    }
}

void tst_RuntimeServices::timerIsSecondsSinceMidnight()
{
    QtRuntimeServices runtime;
    const double expected = QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
    const double apart = qAbs(runtime.timer() - expected);
    QVERIFY(apart < 1.0 || apart > 86399.0); // the clock may have passed midnight
}

TRIVIEW_QTEST_MAIN(tst_RuntimeServices)
#include "tst_runtime_services.moc"
