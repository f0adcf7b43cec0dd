#include "host/reports/reportcontrolreport.h"

#include "host/reports/columnfit.h"
#include "host/reports/controllisting.h"
#include "host/reports/itemcursor.h"
#include "host/reports/reportwriter.h"
#include "host/reports/storedwords.h"
#include "host/reports/storequery.h"

namespace {

const CodeWords &groupOnWords()
{
    static const CodeWords words{{0, QStringLiteral("各値")}, {1, QStringLiteral("頭文字")},
                                 {2, QStringLiteral("年")},   {3, QStringLiteral("四半期")},
                                 {4, QStringLiteral("月")},   {5, QStringLiteral("週")},
                                 {6, QStringLiteral("日")},   {7, QStringLiteral("時")},
                                 {8, QStringLiteral("分")},   {9, QStringLiteral("間隔")}};
    return words;
}

const CodeWords &keepTogetherWords()
{
    static const CodeWords words{{0, QStringLiteral("しない")},
                                 {1, QStringLiteral("グループ全体")},
                                 {2, QStringLiteral("最初の詳細と")}};
    return words;
}

const QString levelsSql = QStringLiteral(
    "SELECT objectNo, GroupNo, ControlSource, SortOrder, GroupHeader, GroupFooter, GroupOn, "
    "GroupInterval, KeepTogether FROM T_ReportGroup ORDER BY objectNo, GroupNo, rowid");

template <typename Row> QStringList levelCells(const Row &level)
{
    return {displayText(level.value(1)),
            displayText(level.value(2)),
            booleanText(level.value(3), QStringLiteral("降順"), QStringLiteral("昇順")),
            yesNoText(level.value(4)),
            yesNoText(level.value(5)),
            codeText(level.value(6), groupOnWords()),
            displayText(level.value(7)),
            codeText(level.value(8), keepTogetherWords())};
}

// The sorting and grouping levels, a short table: measured in a pass of
// their own like the control rows.
QList<ReportColumn> levelColumns(QSqlDatabase &store)
{
    QList<ReportColumn> columns{{QStringLiteral("No"), 0.45, Qt::AlignRight},
                                {QStringLiteral("フィールド/式"), 2.0},
                                {QStringLiteral("並べ替え順序"), 0.8},
                                {QStringLiteral("グループヘッダー"), 0.8, Qt::AlignHCenter},
                                {QStringLiteral("グループフッター"), 0.8, Qt::AlignHCenter},
                                {QStringLiteral("グループ化の条件"), 1.0},
                                {QStringLiteral("グループ間隔"), 0.6, Qt::AlignRight},
                                {QStringLiteral("同一ページに印刷"), 1.2}};
    for (QSqlQuery all = storeQuery(store, levelsSql); all.next();)
        measureCells(columns, levelCells(all));
    return columns;
}

} // namespace

QString ReportControlReport::title() const
{
    return QStringLiteral("レポート定義書");
}

void ReportControlReport::write(QSqlDatabase &store, ReportWriter &out) const
{
    QSqlQuery reports = storeQuery(
        store, QStringLiteral("SELECT objectNo, RecordSource, \"Filter\", OrderBy, Caption, "
                              "RecordLocks, Ibent1, Ibent2, Ibent3, Ibent4, "
                              "IbentVL1, IbentVL2, IbentVL3, IbentVL4, "
                              "ReportName, DateCreated, LastUpdated, Description "
                              "FROM T_ReportInfo ORDER BY objectNo, rowid"));
    const QList<ReportColumn> columns = levelColumns(store);
    ItemCursor levels(storeQuery(store, levelsSql));
    ControlListing controls(store, QStringLiteral("T_ReportItem"));
    bool any = false;
    while (reports.next()) {
        any = true;
        const int objectNo = reports.value(0).toInt();
        ReportFacts facts{
            {QStringLiteral("レコードソース"), displayText(reports.value(1))},
            {QStringLiteral("フィルタ"), displayText(reports.value(2))},
            {QStringLiteral("並べ替え"), displayText(reports.value(3))},
            {QStringLiteral("標題"), displayText(reports.value(4))},
            {QStringLiteral("レコードロック"), codeText(reports.value(5), recordLocksWords())}};
        appendEventFacts(facts, reports, 6);
        facts.append({QStringLiteral("作成日"), dateText(reports.value(15))});
        facts.append({QStringLiteral("更新日"), dateText(reports.value(16))});
        facts.append({QStringLiteral("説明"), displayText(reports.value(17))});
        out.group(QStringLiteral("レポート：%1").arg(displayText(reports.value(14))), facts);

        out.group(QStringLiteral("並べ替え/グループ化"), {});
        if (levels.at(objectNo)) {
            out.columns(columns);
            for (; levels.at(objectNo); levels.next())
                out.row(levelCells(levels));
        } else {
            out.textBlock(QStringLiteral("並べ替え/グループ化の設定はありません。"), false);
        }
        controls.write(objectNo, out);
    }
    if (!any)
        out.textBlock(QStringLiteral("レポートの情報はありません。"), false);
}
