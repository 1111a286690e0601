#include "window/QtRuntimeServices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QScreen>
#include <QTime>
#include <algorithm>

namespace triview {

namespace {

QString toQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The dialogs' buttons, in the window's language whatever the locale.
constexpr std::string_view kOk = "確定";
constexpr std::string_view kCancel = "取消";

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

// A name (a file's, a quoted field's) too wide for the screen has no place
// to wrap: it loses its middle to an ellipsis, keeping its start and end,
// and the dialog's button stays on the screen. The program's own words and
// numbers are never cut; the message box wraps them.
QString narrowed(const QString& text, const QWidget& box)
{
    static const QString namedBy[] = { QStringLiteral("檔案: "), QStringLiteral("欄位內容: ") };
    const QScreen* screen = box.screen();
    const int widest
        = std::max(200, std::min(640, screen ? screen->availableGeometry().width() / 2 : 640));
    QStringList lines = text.split(u'\n');
    for (QString& line : lines)
        for (const QString& label : namedBy)
            if (line.startsWith(label))
                line = label
                    + box.fontMetrics().elidedText(line.mid(label.size()), Qt::ElideMiddle,
                        widest - box.fontMetrics().horizontalAdvance(label));
    return lines.join(u'\n');
}

} // namespace

QWidget* QtRuntimeServices::owner() const
{
    return m_window && m_window->isVisible() ? m_window.data() : QApplication::activeWindow();
}

std::string QtRuntimeServices::inputBox(std::string_view prompt, std::string_view title)
{
    if (m_answer)
        return *std::exchange(m_answer, std::nullopt);
    QInputDialog dialog(owner());
    dialog.setWindowTitle(toQString(title));
    dialog.setLabelText(toQString(prompt));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(QString());
    dialog.setOkButtonText(toQString(kOk));
    dialog.setCancelButtonText(toQString(kCancel));
    new PlainButtons(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.textValue().toStdString();
}

void QtRuntimeServices::messageBox(std::string_view text, std::optional<std::string_view> title)
{
    QMessageBox box(QMessageBox::NoIcon, toQString(title.value_or(kDefaultTitle)), QString(),
        QMessageBox::Ok, owner());
    box.setText(narrowed(toQString(text), box));
    box.button(QMessageBox::Ok)->setText(toQString(kOk));
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
