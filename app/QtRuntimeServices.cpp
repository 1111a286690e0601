#include "app/QtRuntimeServices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QTime>

namespace triview {

namespace {

QString toQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Some themes put an icon on every dialog button; these dialogs' are plain.
// The buttons exist once the dialog is shown.
class PlainButtons final : public QObject
{
public:
    explicit PlainButtons(QWidget& dialog)
        : QObject(&dialog)
    {
        dialog.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* dialog, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
                button->setIcon(QIcon());
        return false;
    }
};

} // namespace

std::string QtRuntimeServices::inputBox(std::string_view prompt, std::string_view title)
{
    if (m_answer)
        return *std::exchange(m_answer, std::nullopt);
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(toQString(title));
    dialog.setLabelText(toQString(prompt));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(QString());
    new PlainButtons(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.textValue().toStdString();
}

void QtRuntimeServices::messageBox(std::string_view text, std::optional<std::string_view> title)
{
    QMessageBox box(QMessageBox::NoIcon, toQString(title.value_or(kDefaultTitle)), toQString(text),
        QMessageBox::Ok, QApplication::activeWindow());
    new PlainButtons(box);
    box.exec();
}

float QtRuntimeServices::timer()
{
    return static_cast<float>(QTime::currentTime().msecsSinceStartOfDay() / 1000.0);
}

void QtRuntimeServices::doEvents()
{
    QCoreApplication::processEvents();
}

} // namespace triview
