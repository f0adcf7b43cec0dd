#include "host/reports/proclistreport.h"

#include "host/reports/reportwriter.h"
#include "host/reports/storequery.h"

QString ProcListReport::title() const
{
    return QStringLiteral("ソースリスト");
}

void ProcListReport::write(QSqlDatabase &store, ReportWriter &out) const
{
    QSqlQuery rows = storeQuery(
        store, QStringLiteral("SELECT \"Label\", objectNo, ProcedureNo, \"Line\", \"Procedure\" "
                              "FROM T_AcProc ORDER BY rowid"));
    QVariant object;
    while (rows.next()) {
        if (rows.value(1) != object) {
            object = rows.value(1);
            const int label = rows.value(0).toInt();
            const QString kind = label == 1   ? QStringLiteral("フォームモジュール")
                                 : label == 2 ? QStringLiteral("レポートモジュール")
                                              : QStringLiteral("モジュール");
            out.group(QStringLiteral("%1 %2").arg(kind, displayText(rows.value(1))), {});
            out.columns({{QStringLiteral("手続き"), 0.6, Qt::AlignRight},
                         {QStringLiteral("行"), 0.6, Qt::AlignRight},
                         {QStringLiteral("ソース"), 8.0, Qt::AlignLeft, true}});
        }
        out.row({displayText(rows.value(2)), displayText(rows.value(3)), rows.value(4).toString()});
    }
}
