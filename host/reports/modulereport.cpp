#include "host/reports/modulereport.h"

#include "host/reports/reportwriter.h"
#include "host/reports/storequery.h"

QString ModuleReport::title() const
{
    return QStringLiteral("モジュール一覧");
}

void ModuleReport::write(QSqlDatabase &store, ReportWriter &out) const
{
    QSqlQuery procs = storeQuery(
        store,
        QStringLiteral("SELECT \"Object\", objectName, ProcedureName, PrivatePublic, \"Type\", "
                       "Parameters, \"As\", \"Line\", objectNo, ProcedureNo "
                       "FROM T_ProcName ORDER BY rowid"));
    // Both tables are written in one sequence, so each procedure's lines
    // follow in the second query as its row does in the first.
    QSqlQuery lines = storeQuery(
        store, QStringLiteral("SELECT objectNo, ProcedureNo, Bunrui, \"Type\", Parameters, \"As\" "
                              "FROM T_DimCall ORDER BY rowid"));
    bool lineReady = lines.next();
    QVariant object;
    while (procs.next()) {
        if (procs.value(8) != object) {
            object = procs.value(8);
            out.group(displayText(procs.value(1)),
                      {{QStringLiteral("種類"), displayText(procs.value(0))},
                       {QStringLiteral("No"), displayText(procs.value(8))}});
            out.columns({{QStringLiteral("No"), 0.4, Qt::AlignRight},
                         {QStringLiteral("手続き"), 1.8},
                         {QStringLiteral("種別"), 1.0},
                         {QStringLiteral("Private"), 0.6},
                         {QStringLiteral("引数 / 宣言"), 3.0},
                         {QStringLiteral("戻り値 / コメント"), 1.6},
                         {QStringLiteral("行数"), 0.5, Qt::AlignRight}});
        }
        out.row({displayText(procs.value(9)), displayText(procs.value(2)),
                 displayText(procs.value(4)), displayText(procs.value(3), true),
                 displayText(procs.value(5)), displayText(procs.value(6)),
                 displayText(procs.value(7))});
        // Lines of an earlier procedure whose row is missing are skipped.
        while (lineReady && lines.value(0) == procs.value(8) &&
               lines.value(1).toInt() < procs.value(9).toInt())
            lineReady = lines.next();
        while (lineReady && lines.value(0) == procs.value(8) && lines.value(1) == procs.value(9)) {
            out.row({QString(), QStringLiteral("　") + displayText(lines.value(3)),
                     displayText(lines.value(2)), QString(), displayText(lines.value(4)),
                     displayText(lines.value(5))});
            lineReady = lines.next();
        }
    }
}
