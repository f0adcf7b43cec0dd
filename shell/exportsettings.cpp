#include "shell/exportsettings.h"

#include "export/exportrows.h"
#include "export/textencoder.h"

#include <QInputDialog>
#include <QSettings>

namespace {
const char *const Key = "export/codePage";
}

QString delimitedCodePage()
{
    const QString saved = QSettings().value(QLatin1String(Key)).toString();
    return saved.isEmpty() || !TextEncoder::isKnown(saved) ? QString::fromLatin1(DefaultCodePage)
                                                           : saved;
}

void saveDelimitedCodePage(const QString &codePage)
{
    QSettings().setValue(QLatin1String(Key), codePage);
}

void chooseDelimitedCodePage(Ui &ui, QWidget *parent)
{
    QStringList choices{QStringLiteral("CP932"), QStringLiteral("UTF-8"), QStringLiteral("EUC-JP"),
                        QStringLiteral("CP1252")};
    const QString current = delimitedCodePage();
    if (!choices.contains(current))
        choices.prepend(current);
    bool ok = false;
    const QString chosen = QInputDialog::getItem(parent, QStringLiteral("テキスト出力の文字コード"),
                                                 QStringLiteral("文字コード:"), choices,
                                                 int(choices.indexOf(current)), true, &ok);
    if (!ok || chosen.trimmed().isEmpty())
        return;
    if (!TextEncoder::isKnown(chosen.trimmed())) {
        ui.setText(Ctl::txtMesege,
                   QStringLiteral("文字コード %1 は使えません（%2 のまま）").arg(chosen, current));
        return;
    }
    saveDelimitedCodePage(chosen.trimmed());
    ui.setText(Ctl::txtMesege,
               QStringLiteral("テキスト出力の文字コード: %1").arg(chosen.trimmed()));
}
