#include "app/QtRuntimeServices.h"

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

} // namespace

std::string QtRuntimeServices::inputBox(std::string_view prompt, std::string_view title)
{
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(toQString(title));
    dialog.setLabelText(toQString(prompt));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(QString());
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.textValue().toStdString();
}

void QtRuntimeServices::messageBox(std::string_view text, std::optional<std::string_view> title)
{
    QMessageBox box(QMessageBox::NoIcon, toQString(title.value_or(kDefaultTitle)), toQString(text),
        QMessageBox::Ok, QApplication::activeWindow());
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
