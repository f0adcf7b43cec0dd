#include "host/reports/objectreport.h"

#include "host/reports/columnfit.h"
#include "host/reports/reportwriter.h"
#include "host/reports/storequery.h"
#include "host/vb/vb.h"

QString ObjectReport::title() const
{
    return QStringLiteral("オブジェクト一覧");
}

void ObjectReport::write(QSqlDatabase &store, ReportWriter &out) const
{
    QSqlQuery db = storeQuery(
        store,
        QStringLiteral("SELECT DbName, FileSize, Version, AccessVersion, QueryTimeout, Updatable "
                       "FROM T_DataBase ORDER BY rowid"));
    if (db.next()) {
        out.group(
            QStringLiteral("データベース"),
            {{QStringLiteral("ファイル"), displayText(db.value(0))},
             {QStringLiteral("サイズ"),
              db.value(1).isNull() ? QString()
                                   : vb::Format(Value::dbl(db.value(1).toDouble()), u"#0.00") +
                                         QStringLiteral(" KB")},
             {QStringLiteral("エンジン"), displayText(db.value(2))},
             {QStringLiteral("Access バージョン"), displayText(db.value(3))},
             {QStringLiteral("クエリタイムアウト"), displayText(db.value(4))},
             {QStringLiteral("更新可能"), displayText(db.value(5), true)}});
    }

    QList<ReportColumn> columns{{QStringLiteral("No"), 0.5, Qt::AlignRight},
                                {QStringLiteral("種類"), 0.8},
                                {QStringLiteral("名前"), 2.2},
                                {QStringLiteral("種別"), 1.2},
                                {QStringLiteral("作成日"), 1.5},
                                {QStringLiteral("更新日"), 1.5},
                                {QStringLiteral("説明"), 2.3}};
    const QString objectsSql = QStringLiteral(
        "SELECT objectNo, Class, objectName, QueryType, DateCreate, DateUpdate, Description "
        "FROM T_Object ORDER BY rowid");
    auto cellsOf = [](const QSqlQuery &object) {
        return QStringList{displayText(object.value(0)), displayText(object.value(1)),
                           displayText(object.value(2)), displayText(object.value(3)),
                           dateText(object.value(4)),    dateText(object.value(5)),
                           displayText(object.value(6))};
    };
    for (QSqlQuery all = storeQuery(store, objectsSql); all.next();)
        measureCells(columns, cellsOf(all));

    out.group(QStringLiteral("オブジェクト"), {});
    out.columns(columns);
    for (QSqlQuery objects = storeQuery(store, objectsSql); objects.next();)
        out.row(cellsOf(objects));
}
