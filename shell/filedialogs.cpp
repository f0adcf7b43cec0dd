#include "shell/filedialogs.h"

#include <QDir>
#include <QFileDialog>

namespace {

QString runDialog(QWidget *owner, const QString &filter, const QString &initialFolder, bool save)
{
    QFileDialog dialog(owner, QString::fromUtf8(save ? SaveDialogTitle : OpenDialogTitle),
                       initialFolder, nameFilterOf(filter));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialogResult(QDir::toNativeSeparators(dialog.selectedFiles().constFirst()));
}

} // namespace

QString nameFilterOf(const QString &filter)
{
    const QStringList parts = filter.split(QChar(0));
    const QString description = parts.value(0);
    QString patterns = parts.value(1);
    patterns.replace(u';', u' ');
    // Descriptions often name their patterns already, as in "Access(*.mdb)".
    if (patterns.isEmpty() || description.endsWith(u'(' + patterns + u')'))
        return description;
    return description + QStringLiteral(" (") + patterns + u')';
}

QString dialogResult(const QString &chosenPath)
{
    return chosenPath.size() > 255 ? QString() : chosenPath;
}

QString OpenFileDlg(QWidget *owner, const QString &filter, const QString &initialFolder)
{
    return runDialog(owner, filter, initialFolder, false);
}

QString SaveFileDlg(QWidget *owner, const QString &filter, const QString &initialFolder)
{
    return runDialog(owner, filter, initialFolder, true);
}
