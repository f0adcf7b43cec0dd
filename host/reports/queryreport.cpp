#include "host/reports/queryreport.h"

#include "host/reports/itemcursor.h"
#include "host/reports/reportwriter.h"
#include "host/reports/storequery.h"

QString QueryReport::title() const
{
    return QStringLiteral("クエリ定義書");
}

void QueryReport::write(QSqlDatabase &store, ReportWriter &out) const
{
    QSqlQuery queries = storeQuery(
        store, QStringLiteral("SELECT objectNo, QueryName, QueryType, DateCreated, LastUpdated, "
                              "Description, \"Connect\", QuerySQL FROM T_QueryInfo "
                              "ORDER BY objectNo, rowid"));
    ItemCursor fields(storeQuery(
        store, QStringLiteral("SELECT objectNo, FieldNo, FieldName, FieldType, FieldSize, "
                              "SourceTable, SourceField FROM T_QueryItem "
                              "ORDER BY objectNo, rowid")));
    const QList<ReportColumn> columns{{QStringLiteral("No"), 0.45, Qt::AlignRight},
                                      {QStringLiteral("フィールド名"), 2.2},
                                      {QStringLiteral("型"), 0.9},
                                      {QStringLiteral("サイズ"), 0.6, Qt::AlignRight},
                                      {QStringLiteral("元テーブル"), 1.8},
                                      {QStringLiteral("元フィールド"), 1.8}};
    bool any = false;
    while (queries.next()) {
        any = true;
        const int objectNo = queries.value(0).toInt();
        ReportFacts facts{{QStringLiteral("種類"), displayText(queries.value(2))},
                          {QStringLiteral("作成日"), dateText(queries.value(3))},
                          {QStringLiteral("更新日"), dateText(queries.value(4))},
                          {QStringLiteral("説明"), displayText(queries.value(5))}};
        const QString connect = displayText(queries.value(6));
        if (!connect.isEmpty())
            facts.append({QStringLiteral("接続"), connect});
        out.group(QStringLiteral("%1. %2").arg(objectNo).arg(displayText(queries.value(1))), facts);
        const QString sql = displayText(queries.value(7));
        if (!sql.isEmpty())
            out.textBlock(sql, true);
        if (!fields.at(objectNo))
            continue;
        out.columns(columns);
        for (; fields.at(objectNo); fields.next()) {
            out.row({displayText(fields.value(1)), displayText(fields.value(2)),
                     displayText(fields.value(3)), displayText(fields.value(4)),
                     displayText(fields.value(5)), displayText(fields.value(6))});
        }
    }
    if (!any)
        out.textBlock(QStringLiteral("クエリはありません。"), false);
}
