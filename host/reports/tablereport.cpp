#include "host/reports/tablereport.h"

#include "host/reports/itemcursor.h"
#include "host/reports/reportwriter.h"
#include "host/reports/storequery.h"

QString TableReport::title() const
{
    return QStringLiteral("テーブル定義書");
}

void TableReport::write(QSqlDatabase &store, ReportWriter &out) const
{
    QSqlQuery tables = storeQuery(
        store, QStringLiteral("SELECT objectNo, TableName, DateCreated, LastUpdated, RecordCount, "
                              "\"Connect\", SourceTableName, Description "
                              "FROM T_TableInfo ORDER BY objectNo, rowid"));
    ItemCursor fields(storeQuery(
        store, QStringLiteral("SELECT objectNo, FieldNo, FieldName, PrimaryKey, FieldType, "
                              "FieldSize, Required, ZeroLength, DefaultValue, ValRule, ValText, "
                              "Description FROM T_TableItem ORDER BY objectNo, rowid")));
    const QList<ReportColumn> columns{{QStringLiteral("No"), 0.45, Qt::AlignRight},
                                      {QStringLiteral("フィールド名"), 1.8},
                                      {QStringLiteral("キー"), 0.45, Qt::AlignHCenter},
                                      {QStringLiteral("型"), 0.9},
                                      {QStringLiteral("サイズ"), 0.6, Qt::AlignRight},
                                      {QStringLiteral("必須"), 0.7, Qt::AlignHCenter},
                                      {QStringLiteral("空文字"), 0.7, Qt::AlignHCenter},
                                      {QStringLiteral("既定値"), 1.2},
                                      {QStringLiteral("入力規則"), 1.3},
                                      {QStringLiteral("エラーメッセージ"), 1.3},
                                      {QStringLiteral("説明"), 1.8}};
    bool any = false;
    while (tables.next()) {
        any = true;
        const int objectNo = tables.value(0).toInt();
        ReportFacts facts{{QStringLiteral("作成日"), dateText(tables.value(2))},
                          {QStringLiteral("更新日"), dateText(tables.value(3))},
                          {QStringLiteral("レコード数"), displayText(tables.value(4))}};
        const QString connect = displayText(tables.value(5));
        if (!connect.isEmpty()) {
            facts.append({QStringLiteral("リンク元"), connect});
            facts.append({QStringLiteral("元テーブル"), displayText(tables.value(6))});
        }
        facts.append({QStringLiteral("説明"), displayText(tables.value(7))});
        out.group(QStringLiteral("%1. %2").arg(objectNo).arg(displayText(tables.value(1))), facts);
        out.columns(columns);
        for (; fields.at(objectNo); fields.next()) {
            out.row({displayText(fields.value(1)), displayText(fields.value(2)),
                     fields.value(3).toInt() != 0 ? QStringLiteral("○") : QString(),
                     displayText(fields.value(4)), displayText(fields.value(5)),
                     displayText(fields.value(6), true), displayText(fields.value(7), true),
                     displayText(fields.value(8)), displayText(fields.value(9)),
                     displayText(fields.value(10)), displayText(fields.value(11))});
        }
    }
    if (!any)
        out.textBlock(QStringLiteral("テーブルはありません。"), false);
}
