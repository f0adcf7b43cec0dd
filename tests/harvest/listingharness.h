#pragma once

// A fixture target, a store in a temporary folder and a recording window for
// the listing commands, with the launched reports written out as text lines
// so their content can be checked.

#include "host/command/headlessui.h"
#include "host/command/mainstate.h"
#include "host/objects/fixturesource.h"
#include "host/reports/reportoutput.h"
#include "host/reports/storereports.h"
#include "support/testsupport.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QVariantMap>

// Every writer call as one line: "group T|label=value|...", "columns a|b",
// "row a|b", "mono <text>" or "text <text>".
class TextReportWriter : public ReportWriter
{
public:
    QStringList lines;

    void begin(const ReportHeader &header) override
    {
        lines << QStringLiteral("begin ") + header.title;
    }
    void group(const QString &title, const ReportFacts &facts) override
    {
        QStringList parts{title};
        for (const auto &fact : facts)
            parts << fact.first + QLatin1Char('=') + fact.second;
        lines << QStringLiteral("group ") + parts.join(QLatin1Char('|'));
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
};

class TextReportOutput : public ReportOutput
{
public:
    QStringList shown;
    QStringList lines; // of the report shown last

    void show(const QString &name, const StoreReport &report, QSqlDatabase &store) override
    {
        shown << name;
        TextReportWriter writer;
        writeReport(report, store, writer, reportHeader(report, store));
        lines = writer.lines;
    }
};

struct ListingHarness
{
    QTemporaryDir dir;
    FixtureSource fixture;
    MainState state;
    HeadlessUi ui;
    TextReportOutput output;

    ListingHarness()
    {
        state.storePath = dir.filePath(QStringLiteral("Analize.mdb"));
        state.reportOutput = &output;
        state.opener = fixture.opener();
        registerStoreReports();
        state.targetPath = writeFile(dir, QStringLiteral("target.mdb"), QByteArray(64, 'x'));
        fixture.database().Name = state.targetPath;
        for (int i = 0; i < 9; ++i)
            ui.setEnabled(optPrint(i), false); // as at start-up
    }
    void open() { state.newTargetInstance().OpenCurrentDatabase(state.targetPath); }

    QList<QVariantMap> rows(const QString &table)
    {
        QList<QVariantMap> result;
        auto store = Store::open(state.storePath);
        QSqlQuery q(store->connection());
        q.exec(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(table));
        while (q.next()) {
            QVariantMap row;
            for (int i = 0; i < q.record().count(); ++i)
                row.insert(q.record().fieldName(i), q.value(i));
            result << row;
        }
        return result;
    }
    QString firstMessage() const { return ui.messages.value(0).text; }
};

inline Field makeField(const QString &name, qint16 type, qint32 size = 0)
{
    Field f;
    f.Name = name;
    f.Type = type;
    f.Size = size;
    return f;
}
