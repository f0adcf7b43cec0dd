#include "host/reports/controllisting.h"

#include "host/reports/columnfit.h"
#include "host/reports/storedwords.h"
#include "host/reports/storequery.h"

namespace {

enum ItemColumn {
    ObjectNo,
    ControlNo,
    PropertyNo,
    Name,
    ControlType,
    Visible,
    Tlwh,
    Bunrui,
    PropertyName,
    PropertyValue
};

QString itemsSql(const QString &itemTable)
{
    return QStringLiteral("SELECT objectNo, ControlNo, PropertyNo, \"Name\", ControlType, "
                          "cntlVisible, TLWH, Bunrui, PropertyName, PropertyValue FROM %1 "
                          "ORDER BY objectNo, ControlNo, PropertyNo, rowid")
        .arg(itemTable);
}

template <typename Row> QStringList cellsOf(const Row &item)
{
    return {displayText(item.value(Bunrui)), displayText(item.value(PropertyName)),
            displayText(item.value(PropertyValue))};
}

bool isBlank(const QStringList &cells)
{
    for (const QString &cell : cells)
        if (!cell.isEmpty())
            return false;
    return true;
}

QString headingOf(const ItemCursor &item)
{
    return QStringLiteral("%1. %2（%3）　表示：%4　位置：%5")
        .arg(displayText(item.value(ControlNo)), displayText(item.value(Name)),
             displayText(item.value(ControlType)), yesNoText(item.value(Visible)),
             displayText(item.value(Tlwh)));
}

// One pass to measure, so that every control's rows share one layout.
QList<ReportColumn> measuredColumns(QSqlDatabase &store, const QString &sql)
{
    QList<ReportColumn> columns{{QStringLiteral("分類"), 0.8},
                                {QStringLiteral("プロパティ"), 1.6},
                                {QStringLiteral("設定値"), 4.0}};
    for (QSqlQuery all = storeQuery(store, sql); all.next();)
        measureCells(columns, cellsOf(all));
    return columns;
}

} // namespace

void appendEventFacts(ReportFacts &facts, const QSqlQuery &info, int firstSlot)
{
    for (int slot = 0; slot < 4; ++slot) {
        const QString label = displayText(info.value(firstSlot + slot));
        if (!label.isEmpty())
            facts.append({label, displayText(info.value(firstSlot + 4 + slot))});
    }
}

ControlListing::ControlListing(QSqlDatabase &store, const QString &itemTable)
    : m_columns(measuredColumns(store, itemsSql(itemTable)))
    , m_items(storeQuery(store, itemsSql(itemTable)))
{
}

void ControlListing::write(int objectNo, ReportWriter &out)
{
    QVariant control;
    bool first = true;
    for (; m_items.at(objectNo); m_items.next()) {
        if (first || m_items.value(ControlNo) != control) {
            first = false;
            control = m_items.value(ControlNo);
            out.group(headingOf(m_items), {});
            out.columns(m_columns);
        }
        // A Blank row only says the control is documented; its heading shows that.
        const QStringList cells = cellsOf(m_items);
        if (!isBlank(cells))
            out.row(cells);
    }
}
