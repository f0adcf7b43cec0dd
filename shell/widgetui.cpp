#include "shell/widgetui.h"

#include "shell/filedialogs.h"
#include "shell/mainwindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>

WidgetUi::WidgetUi(MainWindow &window)
    : m_window(window)
{
}

QString WidgetUi::text(Ctl control) const
{
    QWidget *w = m_window.control(control);
    if (auto *label = qobject_cast<QLabel *>(w))
        return label->text();
    if (auto *edit = qobject_cast<QLineEdit *>(w))
        return edit->text();
    if (auto *combo = qobject_cast<QComboBox *>(w))
        return combo->currentText();
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        return button->text();
    return QString();
}

void WidgetUi::setText(Ctl control, const QString &text)
{
    QWidget *w = m_window.control(control);
    if (auto *label = qobject_cast<QLabel *>(w))
        label->setText(text);
    else if (auto *edit = qobject_cast<QLineEdit *>(w)) {
        edit->setText(text);
        edit->setCursorPosition(0); // a long status text shows its start
    } else if (auto *button = qobject_cast<QAbstractButton *>(w))
        button->setText(text);
}

int WidgetUi::value(Ctl control) const
{
    auto *button = qobject_cast<QAbstractButton *>(m_window.control(control));
    return button && button->isChecked() ? 1 : 0;
}

void WidgetUi::setValue(Ctl control, int value)
{
    if (auto *button = qobject_cast<QAbstractButton *>(m_window.control(control))) {
        const QSignalBlocker quiet(button); // setting a value is not a click
        button->setChecked(value != 0);
    }
}

bool WidgetUi::isEnabled(Ctl control) const
{
    return m_window.control(control)->isEnabled();
}
void WidgetUi::setEnabled(Ctl control, bool enabled)
{
    m_window.control(control)->setEnabled(enabled);
}
bool WidgetUi::isVisible(Ctl control) const
{
    return !m_window.control(control)->isHidden();
}
void WidgetUi::setVisible(Ctl control, bool visible)
{
    m_window.control(control)->setVisible(visible);
}

void WidgetUi::clearList(Ctl picker)
{
    if (auto *combo = qobject_cast<QComboBox *>(m_window.control(picker)))
        combo->clear();
}

void WidgetUi::addItem(Ctl picker, const QString &item)
{
    if (auto *combo = qobject_cast<QComboBox *>(m_window.control(picker)))
        combo->addItem(item);
}

QStringList WidgetUi::items(Ctl picker) const
{
    QStringList result;
    if (auto *combo = qobject_cast<QComboBox *>(m_window.control(picker))) {
        for (int i = 0; i < combo->count(); ++i)
            result << combo->itemText(i);
    }
    return result;
}

void WidgetUi::setListIndex(Ctl picker, int index)
{
    if (auto *combo = qobject_cast<QComboBox *>(m_window.control(picker)))
        combo->setCurrentIndex(index);
}

void WidgetUi::setMousePointer(int pointer)
{
    const bool hourglass = pointer == PointerHourglass;
    if (hourglass == m_hourglass)
        return;
    m_hourglass = hourglass;
    if (hourglass)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void WidgetUi::setWindowEnabled(bool enabled)
{
    m_window.setEnabled(enabled);
}
bool WidgetUi::windowEnabled() const
{
    return m_window.isEnabled();
}
void WidgetUi::setWindowVisible(bool visible)
{
    m_window.setVisible(visible);
}
bool WidgetUi::windowVisible() const
{
    return m_window.isVisible();
}
void WidgetUi::setWindowHeight(int twips)
{
    m_window.setHeightTwips(twips);
}

MsgAnswer WidgetUi::messageBox(const QString &text, MsgButtons buttons, MsgIcon icon,
                               const std::optional<QString> &title)
{
    QMessageBox box(&m_window);
    box.setWindowTitle(title.value_or(QStringLiteral("Quillmark")));
    box.setText(QString(text).replace(QChar(13), QChar(10)));
    static const QMessageBox::Icon icons[] = {QMessageBox::NoIcon, QMessageBox::Information,
                                              QMessageBox::Warning, QMessageBox::Question,
                                              QMessageBox::Critical};
    box.setIcon(icons[int(icon)]);
    switch (buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return MsgAnswer::Ok;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
    case MsgButtons::RetryCancel:
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        return box.exec() == QMessageBox::Retry ? MsgAnswer::Retry : MsgAnswer::Cancel;
    }
    return MsgAnswer::Ok;
}

void WidgetUi::describeError(const QString &, const HostError &)
{
    // The window shows the standard message only, as designed.
}

void WidgetUi::warn(const QString &text)
{
    setText(Ctl::txtMesege, text);
}

void WidgetUi::processEvents()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString WidgetUi::OpenFileDlg(const QString &filter, const QString &initialFolder)
{
    return ::OpenFileDlg(&m_window, filter, initialFolder);
}

QString WidgetUi::SaveFileDlg(const QString &filter, const QString &initialFolder)
{
    return ::SaveFileDlg(&m_window, filter, initialFolder);
}
