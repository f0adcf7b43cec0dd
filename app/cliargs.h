#pragma once

// The options of one quillmark-cli command. Every command parses its words
// the same way: an option that takes a value refuses a missing or empty one,
// a single-valued option given twice is refused, an unknown option is refused,
// and the remaining words are the command's positional arguments.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

struct CliOption
{
    enum class Kind { Flag, Value, Repeated };
    const char *name; // with its dashes: "--out"
    Kind kind;
};

class CliArgs
{
public:
    CliArgs(const QStringList &words, const QList<CliOption> &options);

    // Empty when the words parsed; else what was wrong, for the user.
    const QString &error() const { return m_error; }

    const QStringList &positional() const { return m_positional; }
    bool has(const char *option) const;
    QString value(const char *option, const QString &otherwise = QString()) const;
    QStringList values(const char *option) const;

private:
    QString m_error;
    QStringList m_positional;
    QHash<QString, QStringList> m_values;
};
