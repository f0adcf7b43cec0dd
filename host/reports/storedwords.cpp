#include "host/reports/storedwords.h"

#include "host/reports/storequery.h"

#include <optional>

namespace {

std::optional<bool> storedBoolean(const QVariant &value)
{
    const QString text = displayText(value).trimmed();
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool number = false;
    const double d = text.toDouble(&number);
    if (number)
        return d != 0;
    return std::nullopt;
}

} // namespace

QString booleanText(const QVariant &value, const QString &yes, const QString &no)
{
    if (value.isNull())
        return QString();
    const std::optional<bool> b = storedBoolean(value);
    return b ? (*b ? yes : no) : displayText(value);
}

QString yesNoText(const QVariant &value)
{
    return booleanText(value, QStringLiteral("はい"), QStringLiteral("いいえ"));
}

QString codeText(const QVariant &value, const CodeWords &words)
{
    const QString text = displayText(value);
    bool whole = false;
    const int code = text.trimmed().toInt(&whole);
    if (whole) {
        for (const auto &[key, word] : words)
            if (key == code)
                return QStringLiteral("%1 (%2)").arg(word).arg(code);
    }
    return text;
}

const CodeWords &recordLocksWords()
{
    static const CodeWords words{{0, QStringLiteral("しない")},
                                 {1, QStringLiteral("すべてのレコード")},
                                 {2, QStringLiteral("編集済みレコード")}};
    return words;
}
