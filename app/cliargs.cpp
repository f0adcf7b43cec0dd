#include "app/cliargs.h"

CliArgs::CliArgs(const QStringList &words, const QList<CliOption> &options)
{
    for (qsizetype i = 0; i < words.size() && m_error.isEmpty(); ++i) {
        const QString &word = words[i];
        if (!word.startsWith(QLatin1String("--"))) {
            m_positional << word;
            continue;
        }
        const CliOption *option = nullptr;
        for (const CliOption &candidate : options) {
            if (word == QLatin1String(candidate.name))
                option = &candidate;
        }
        if (!option) {
            m_error = QStringLiteral("Unknown option: %1").arg(word);
            break;
        }
        QStringList &given = m_values[word];
        if (option->kind != CliOption::Kind::Repeated && !given.isEmpty())
            m_error = QStringLiteral("%1: given more than once").arg(word);
        else if (option->kind == CliOption::Kind::Flag)
            given << QString();
        else if (i + 1 >= words.size() || words[i + 1].isEmpty() ||
                 words[i + 1].startsWith(QLatin1String("--")))
            m_error = QStringLiteral("%1: needs a value").arg(word);
        else
            given << words[++i];
    }
}

bool CliArgs::has(const char *option) const
{
    return !m_values.value(QLatin1String(option)).isEmpty();
}

QString CliArgs::value(const char *option, const QString &otherwise) const
{
    const QStringList given = m_values.value(QLatin1String(option));
    return given.isEmpty() ? otherwise : given.last();
}

QStringList CliArgs::values(const char *option) const
{
    return m_values.value(QLatin1String(option));
}
