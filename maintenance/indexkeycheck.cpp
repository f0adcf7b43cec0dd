#include "maintenance/indexkeycheck.h"

#include "host/jet/bytes.h"
#include "host/jet/mdb.h"
#include "host/jet/vbaformat.h"
#include "host/jet/write/jetindexkey.h"
#include "maintenance/pageaccount.h"

#include <QHash>
#include <optional>

namespace {

// How the keys of one real index are made: the definition's columns in key
// order, or why the encoder does not cover them.
struct KeyPlan
{
    QList<int> columnAt; // into the definition's columns
    QList<JetKeyColumn> columns;
    QString uncovered;
};

KeyPlan planFor(const PageAccount &a, const TableAccount &t, int realIndex)
{
    KeyPlan plan;
    const JetIndexDef *index = nullptr;
    for (const JetIndexDef &logical : t.definition.indexes)
        if (logical.realIndex == realIndex)
            index = &logical;
    if (!index || index->columnNumbers.isEmpty()) {
        plan.uncovered = QStringLiteral("no index of the definition uses it");
        return plan;
    }
    for (qsizetype k = 0; k < index->columnNumbers.size(); ++k) {
        qsizetype slot = -1;
        for (qsizetype c = 0; c < t.definition.columns.size(); ++c)
            if (t.definition.columns[c].number == index->columnNumbers[k])
                slot = c;
        if (slot < 0) {
            plan.uncovered = QStringLiteral("a key column is missing");
            return plan;
        }
        const JetColumnDef &def = t.definition.columns[slot];
        JetKeyColumn column;
        column.type = def.type;
        column.descending = index->descending.value(k);
        column.sortOrder = def.sortOrder;
        column.sortVersion = def.sortVersion;
        column.codePage = def.codePage ? def.codePage : a.codePage;
        plan.uncovered = jetKeyColumnUncovered(column);
        if (!plan.uncovered.isEmpty())
            return plan;
        plan.columnAt.append(int(slot));
        plan.columns.append(column);
    }
    return plan;
}

// The bytes of the row a data pointer names, an overflow row followed to
// where the row lies; false when there is no such row. The place an
// overflow row points at is flagged deleted, so that flag counts only where
// the pointer itself leads.
bool rowBytes(const PageAccount &a, quint32 pointer, QByteArray &out)
{
    quint32 page = pointer >> 8;
    int row = int(pointer & 0xFF);
    for (int hops = 0; hops < 8; ++hops) {
        int start, end, flags = 0;
        if (!a.rowBounds(page, row, start, end, &flags) || (hops == 0 && (flags & 0x8000)))
            return false;
        if (!(flags & 0x4000)) {
            out = a.pages[page].mid(start, end - start);
            return true;
        }
        if (end - start < 4)
            return false;
        const quint32 to = le32(a.pages[page], start);
        page = to >> 8;
        row = int(to & 0xFF);
    }
    return false;
}

// A key column's value as the encoder takes it; nothing when its bytes are
// not of the column's size.
std::optional<Value> keyValue(const PageAccount &a, const JetKeyColumn &key, const QByteArray &row,
                              const JetCell &cell)
{
    if (key.type == MDB_BOOL)
        return Value::boolean(!cell.null);
    if (cell.null)
        return Value::null();
    const char *data = row.constData() + cell.start;
    if (key.type == MDB_TEXT)
        return a.jet3 ? Value(decodeCodePage(row.mid(cell.start, cell.size), key.codePage, {}))
                      : Value(decodeJet4Text(data, cell.size));
    if (storedNumberSize(key.type) != cell.size)
        return std::nullopt;
    return storedNumber(key.type, data);
}

struct IndexFindings
{
    qint64 mismatches = 0;
    QString first;
};

} // namespace

IndexKeyFindings checkIndexKeys(const PageAccount &a)
{
    QHash<quint32, const TableAccount *> tables;
    int indexes = 0;
    for (const TableAccount &t : a.tables) {
        tables.insert(t.tdef, &t);
        indexes += int(t.indexFlags.size());
    }
    QHash<QPair<quint32, int>, KeyPlan> plans;
    QHash<QPair<quint32, int>, IndexFindings> findings;
    qint64 compared = 0, skipped = 0;
    QList<JetCell> cells;
    QByteArray row;
    for (const IndexPageAccount &ip : a.indexPages) {
        const TableAccount *t = tables.value(ip.tablePage);
        if (!ip.leaf || !t)
            continue;
        const QPair<quint32, int> which{ip.tablePage, ip.index};
        auto plan = plans.find(which);
        if (plan == plans.end())
            plan = plans.insert(which, planFor(a, *t, ip.index));
        if (!plan->uncovered.isEmpty())
            continue;
        for (const IndexEntry &entry : ip.entries) {
            if (!rowBytes(a, entry.row, row) || !crackRow(row, a.jet3, t->definition, cells)) {
                ++skipped;
                continue;
            }
            QList<Value> values;
            for (qsizetype k = 0; k < plan->columnAt.size(); ++k) {
                const std::optional<Value> v =
                    keyValue(a, plan->columns[k], row, cells[plan->columnAt[k]]);
                if (!v)
                    break;
                values.append(*v);
            }
            const JetIndexKey key = jetIndexKey(a.jet3, plan->columns, values);
            if (!key.certain) {
                ++skipped;
                continue;
            }
            ++compared;
            if (entry.full.chopped(4) == key.bytes)
                continue;
            IndexFindings &f = findings[which];
            if (f.mismatches++ == 0)
                f.first = QStringLiteral("table '%1': index %2 holds an old key for row %3 of page "
                                         "%4 (index page %5)")
                              .arg(t->name)
                              .arg(ip.index)
                              .arg(entry.row & 0xFF)
                              .arg(entry.row >> 8)
                              .arg(ip.page);
        }
    }
    IndexKeyFindings out;
    int uncovered = 0;
    for (const TableAccount &t : a.tables)
        for (int i = 0; i < t.indexFlags.size(); ++i) {
            const auto plan = plans.constFind({t.tdef, i});
            const QString why = plan == plans.cend() ? planFor(a, t, i).uncovered : plan->uncovered;
            if (!why.isEmpty()) {
                ++uncovered;
                out.skippedIndexes
                    << QStringLiteral("table '%1': index %2: %3").arg(t.name).arg(i).arg(why);
            }
            const IndexFindings f = findings.value({t.tdef, i});
            if (f.mismatches == 1)
                out.damage << f.first;
            else if (f.mismatches > 1)
                out.damage
                    << QStringLiteral("%1 and for %2 more rows").arg(f.first).arg(f.mismatches - 1);
        }
    out.checked = QStringLiteral("the keys of %1 of %2 indexes against their rows: %3 keys "
                                 "compared, %4 skipped (values the key encoder does not cover); "
                                 "%5 indexes skipped (key columns it does not cover)")
                      .arg(indexes - uncovered)
                      .arg(indexes)
                      .arg(compared)
                      .arg(skipped)
                      .arg(uncovered);
    return out;
}
