#include "export/sheetname.h"

QString sheetNameFor(const QString &objectName)
{
    QString name = objectName;
    for (QChar &c : name) {
        if (QStringView(u":\\/?*[]").contains(c) || c.unicode() < 0x20)
            c = u'_';
    }
    qsizetype cut = qMin<qsizetype>(name.size(), 31);
    // Never keep half of a surrogate pair.
    if (cut < name.size() && name[cut - 1].isHighSurrogate())
        --cut;
    name.truncate(cut);
    while (name.startsWith(u'\''))
        name.remove(0, 1);
    while (name.endsWith(u'\''))
        name.chop(1);
    if (name.trimmed().isEmpty())
        return QStringLiteral("Sheet1");
    return name;
}
