#include "host/reports/tablereport.h"

#include "host/reports/columnfit.h"
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
    const QString fieldsSql =
        QStringLiteral("SELECT objectNo, FieldNo, FieldName, PrimaryKey, FieldType, "
                       "FieldSize, Required, ZeroLength, DefaultValue, ValRule, ValText, "
                       "Description FROM T_TableItem ORDER BY objectNo, rowid");
    auto cellsOf = [](const auto &field) {
        return QStringList{displayText(field.value(1)),
                           displayText(field.value(2)),
                           field.value(3).toInt() != 0 ? QStringLiteral("○") : QString(),
                           displayText(field.value(4)),
                           displayText(field.value(5)),
                           displayText(field.value(6), true),
                           displayText(field.value(7), true),
                           displayText(field.value(8)),
                           displayText(field.value(9)),
                           displayText(field.value(10)),
                           displayText(field.value(11))};
    };
    QList<ReportColumn> columns{{QStringLiteral("No"), 0.45, Qt::AlignRight},
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
    // One pass to measure, so that every table's columns share one layout.
    for (QSqlQuery all = storeQuery(store, fieldsSql); all.next();)
        measureCells(columns, cellsOf(all));
    ItemCursor fields(storeQuery(store, fieldsSql));
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
        for (; fields.at(objectNo); fields.next())
            out.row(cellsOf(fields));
    }
    if (!any)
        out.textBlock(QStringLiteral("テーブルはありません。"), false);
}
