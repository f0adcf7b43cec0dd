#include "host/reports/objectreport.h"

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

    out.group(QStringLiteral("オブジェクト"), {});
    out.columns({{QStringLiteral("No"), 0.5, Qt::AlignRight},
                 {QStringLiteral("種類"), 0.8},
                 {QStringLiteral("名前"), 2.2},
                 {QStringLiteral("種別"), 1.2},
                 {QStringLiteral("作成日"), 1.5},
                 {QStringLiteral("更新日"), 1.5},
                 {QStringLiteral("説明"), 2.3}});
    QSqlQuery objects = storeQuery(
        store,
        QStringLiteral(
            "SELECT objectNo, Class, objectName, QueryType, DateCreate, DateUpdate, Description "
            "FROM T_Object ORDER BY rowid"));
    while (objects.next()) {
        out.row({displayText(objects.value(0)), displayText(objects.value(1)),
                 displayText(objects.value(2)), displayText(objects.value(3)),
                 dateText(objects.value(4)), dateText(objects.value(5)),
                 displayText(objects.value(6))});
    }
}
