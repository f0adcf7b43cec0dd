#pragma once

// A ReportWriter that keeps every call as one line, so a test can check what
// a report says and in which order: "group T", "fact label=value",
// "columns a|b", "row a|b", "text <text>" or "mono <text>".

#include "host/reports/reportwriter.h"

#include <QStringList>

class StreamLog : public ReportWriter
{
public:
    QStringList lines;

    void begin(const ReportHeader &header) override
    {
        lines << QStringLiteral("begin ") + header.title;
    }
    void group(const QString &title, const ReportFacts &facts) override
    {
        lines << QStringLiteral("group ") + title;
        for (const auto &fact : facts)
            lines << QStringLiteral("fact ") + fact.first + QLatin1Char('=') + fact.second;
    }
    void columns(const QList<ReportColumn> &columns) override
    {
        QStringList headings;
        for (const ReportColumn &c : columns)
            headings << c.heading;
        lines << QStringLiteral("columns ") + headings.join(QLatin1Char('|'));
    }
    void row(const QStringList &cells) override
    {
        lines << QStringLiteral("row ") + cells.join(QLatin1Char('|'));
    }
    void textBlock(const QString &text, bool monospace) override
    {
        lines << (monospace ? QStringLiteral("mono ") : QStringLiteral("text ")) + text;
    }
    void end() override { lines << QStringLiteral("end"); }

    // The lines from the first that starts with `prefix` (empty if none).
    QStringList from(const QString &prefix) const
    {
        for (qsizetype i = 0; i < lines.size(); ++i)
            if (lines[i].startsWith(prefix))
                return lines.mid(i);
        return {};
    }
};
