#include "shell/designfolder.h"

#include <QDir>
#include <QFileDialog>
#include <QSettings>

namespace {
const char *const Key = "designs/folder";
}

QString savedDesignFolder()
{
    return QSettings().value(QLatin1String(Key)).toString();
}

void saveDesignFolder(const QString &folder)
{
    QSettings settings;
    if (folder.isEmpty())
        settings.remove(QLatin1String(Key));
    else
        settings.setValue(QLatin1String(Key), folder);
}

void chooseDesignFolder(Ui &ui, QWidget *parent)
{
    const QString chosen = QFileDialog::getExistingDirectory(
        parent, QStringLiteral("デザイン(テキスト出力)のフォルダ"), savedDesignFolder());
    if (chosen.isEmpty())
        return;
    saveDesignFolder(chosen);
    ui.setText(Ctl::txtMesege,
               QStringLiteral("デザインのフォルダ: %1（次に選択するデータベースから）")
                   .arg(QDir::toNativeSeparators(chosen)));
}
