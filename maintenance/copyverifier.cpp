#include "maintenance/copyverifier.h"

#include "host/jet/jetfile.h"
#include "host/jet/jetsource.h"
#include "host/jet/mdb.h"
#include "host/vb/errors.h"
#include "maintenance/indexcomparison.h"
#include "maintenance/libmdbcomparison.h"
#include "maintenance/pageaccount.h"

#include <QByteArray>
#include <future>
#include <memory>

namespace {

struct Differs
{
    QString what;
};

void same(bool equal, const QString &what)
{
    if (!equal)
        throw Differs{what};
}

QString describe(const Value &v)
{
    switch (v.type()) {
    case Value::Type::Empty:
        return QStringLiteral("Empty");
    case Value::Type::Null:
        return QStringLiteral("Null");
    case Value::Type::Text:
        return v.asText().left(40);
    case Value::Type::Binary:
        return QStringLiteral("%1 bytes").arg(v.asBinary().size());
    default:
        return QString::number(v.toDouble(), 'g', 17);
    }
}

void sameProperties(const Properties &a, const Properties &b, const QString &owner)
{
    same(a.Count() == b.Count(), QStringLiteral("%1 has %2 properties in the source and %3 in "
                                                "the copy")
                                     .arg(owner)
                                     .arg(a.Count())
                                     .arg(b.Count()));
    for (int i = 0; i < a.Count(); ++i) {
        const Property &pa = a.item(i), &pb = b.item(i);
        if (pa.Name() != pb.Name() || pa.Value() != pb.Value())
            throw Differs{
                QStringLiteral("property %1 of %2 reads '%3' in the source and '%4' in the copy")
                    .arg(pa.Name(), owner, describe(pa.Value()), describe(pb.Value()))};
    }
}

void sameFields(const QList<Field> &a, const QList<Field> &b, const QString &owner)
{
    same(a.size() == b.size(), QStringLiteral("%1 has another number of fields").arg(owner));
    for (qsizetype i = 0; i < a.size(); ++i) {
        const QString where = QStringLiteral("field '%1' of %2").arg(a[i].Name, owner);
        if (a[i].Name != b[i].Name || a[i].Type != b[i].Type || a[i].Size != b[i].Size)
            throw Differs{QStringLiteral("%1 differs in name, type or size").arg(where)};
        sameProperties(a[i].Properties(), b[i].Properties(), where);
    }
}

// Our reader: the DAO side.
void compareDefinitions(JetSource &a, JetSource &b)
{
    sameProperties(a.summary().properties, b.summary().properties, QStringLiteral("the database"));
    const QList<TableDef> ta = a.tableDefs(), tb = b.tableDefs();
    same(ta.size() == tb.size(), QStringLiteral("the number of tables differs"));
    for (qsizetype i = 0; i < ta.size(); ++i) {
        const QString owner = QStringLiteral("table '%1'").arg(ta[i].Name);
        same(ta[i].Name == tb[i].Name && ta[i].Attributes == tb[i].Attributes &&
                 ta[i].Connect == tb[i].Connect && ta[i].SourceTableName == tb[i].SourceTableName,
             QStringLiteral("%1 differs in its catalog entry").arg(owner));
        if (!ta[i].Connect.isEmpty() || ta[i].Attributes & DaoTableAttr::AttachedTable)
            continue;
        same(ta[i].RecordCount() == tb[i].RecordCount(),
             QStringLiteral("%1 has another record count").arg(owner));
        sameFields(ta[i].Fields(), tb[i].Fields(), owner);
        const QList<Index> &ia = ta[i].Indexes(), &ib = tb[i].Indexes();
        same(ia.size() == ib.size(), QStringLiteral("%1 has another number of indexes").arg(owner));
        for (qsizetype k = 0; k < ia.size(); ++k)
            same(ia[k].Name == ib[k].Name && ia[k].Primary == ib[k].Primary &&
                     ia[k].Unique == ib[k].Unique && ia[k].Fields == ib[k].Fields,
                 QStringLiteral("index '%1' of %2 differs").arg(ia[k].Name, owner));
        sameProperties(ta[i].Properties(), tb[i].Properties(), owner);
    }
    const QList<QueryDef> qa = a.queryDefs(), qb = b.queryDefs();
    same(qa.size() == qb.size(), QStringLiteral("the number of queries differs"));
    for (qsizetype i = 0; i < qa.size(); ++i) {
        const QString owner = QStringLiteral("query '%1'").arg(qa[i].Name);
        same(qa[i].Name == qb[i].Name && qa[i].Type == qb[i].Type && qa[i].SQL() == qb[i].SQL(),
             QStringLiteral("%1 differs in its name, type or SQL").arg(owner));
        sameFields(qa[i].Fields(), qb[i].Fields(), owner);
        sameProperties(qa[i].Properties(), qb[i].Properties(), owner);
    }
    const QList<Container> ca = a.containers(), cb = b.containers();
    same(ca.size() == cb.size(), QStringLiteral("the number of containers differs"));
    for (qsizetype i = 0; i < ca.size(); ++i) {
        same(ca[i].Name == cb[i].Name && ca[i].Documents.size() == cb[i].Documents.size(),
             QStringLiteral("container '%1' differs").arg(ca[i].Name));
        for (qsizetype k = 0; k < ca[i].Documents.size(); ++k) {
            const QString owner = QStringLiteral("document '%1' of container '%2'")
                                      .arg(ca[i].Documents[k].Name, ca[i].Name);
            same(ca[i].Documents[k].Name == cb[i].Documents[k].Name,
                 QStringLiteral("%1 differs").arg(owner));
            sameProperties(ca[i].Documents[k].Properties(), cb[i].Documents[k].Properties(), owner);
        }
    }
}

struct CatalogTable
{
    QString name;
    quint32 tdef;
};

QList<CatalogTable> localTables(const std::shared_ptr<JetFile> &file)
{
    QList<CatalogTable> out{{QStringLiteral("MSysObjects"), 2}};
    JetTable objects(file, 2, QStringLiteral("MSysObjects"));
    const int id = objects.columnIndex(u"Id"), type = objects.columnIndex(u"Type"),
              name = objects.columnIndex(u"Name");
    while (objects.next())
        if (objects.text(type).toInt() == 1 && objects.text(id).toLongLong() != 2)
            out.append({objects.text(name), quint32(objects.text(id).toLongLong())});
    return out;
}

// Our reader: every row of every local table, byte for byte, both files
// walked side by side. The message is only put together for a difference.
bool sameCell(const JetTable &a, const JetTable &b, int c)
{
    const int type = a.columns()[c].type;
    if (type == MDB_BOOL) // its value is kept in the null mask
        return a.value(c) == b.value(c);
    if (a.isNull(c) != b.isNull(c))
        return false;
    if (a.isNull(c))
        return true;
    if (type == MDB_OLE || type == MDB_MEMO)
        return a.longValue(c) == b.longValue(c);
    return a.bytes(c) == b.bytes(c);
}

void compareRows(const std::shared_ptr<JetFile> &fa, const std::shared_ptr<JetFile> &fb)
{
    const QList<CatalogTable> tables = localTables(fa), other = localTables(fb);
    same(tables.size() == other.size(),
         QStringLiteral("the catalogs list another number of tables"));
    for (qsizetype t = 0; t < tables.size(); ++t) {
        const QString &name = tables[t].name;
        if (name != other[t].name || tables[t].tdef != other[t].tdef)
            throw Differs{QStringLiteral("the catalog entry of table '%1' differs").arg(name)};
        JetTable a(fa, tables[t].tdef, name), b(fb, other[t].tdef, other[t].name);
        const int columns = int(a.columns().size());
        if (columns != b.columns().size())
            throw Differs{QStringLiteral("table '%1' has another number of columns").arg(name)};
        for (qint64 row = 1;; ++row) {
            const bool more = a.next();
            if (more != b.next())
                throw Differs{QStringLiteral("table '%1' has another number of rows (from row "
                                             "%2 on)")
                                  .arg(name)
                                  .arg(row)};
            if (!more)
                break;
            for (int c = 0; c < columns; ++c)
                if (!sameCell(a, b, c))
                    throw Differs{QStringLiteral("table '%1', row %2, column '%3' differs")
                                      .arg(name)
                                      .arg(row)
                                      .arg(a.columns()[c].name)};
        }
        same(a.skippedDamage() == b.skippedDamage(),
             QStringLiteral("table '%1' reads with skipped damage in one file only").arg(name));
    }
}

QString readingFailed(const HostError &e)
{
    return QStringLiteral("reading them raised %1 (%2)").arg(e.code()).arg(e.description());
}

template <class Comparison> QString firstDifference(Comparison compare)
{
    try {
        compare();
    } catch (const Differs &d) {
        return d.what;
    } catch (const HostError &e) {
        return readingFailed(e);
    }
    return QString();
}

} // namespace

QString differenceBetween(const QString &source, const QString &copy)
{
    try {
        // Every file is opened here, one after the other: libmdb reads its
        // text encodings from the environment while it opens a file.
        const std::shared_ptr<JetSource> a = JetSource::open(source), b = JetSource::open(copy);
        const std::shared_ptr<JetFile> fa = JetFile::open(source, JetOptions()),
                                       fb = JetFile::open(copy, JetOptions());
        const LibmdbHandle ma = openThroughLibmdb(source), mb = openThroughLibmdb(copy);
        if (!ma || !mb)
            return QStringLiteral("libmdb cannot open '%1' or read its catalog")
                .arg(ma ? copy : source);
        // The three comparisons share nothing and run side by side, each on
        // a thread of its own. The first difference in this order is the one
        // reported.
        std::future<QString> rows = std::async(
            std::launch::async, [&] { return firstDifference([&] { compareRows(fa, fb); }); });
        std::future<QString> throughLibmdb = std::async(
            std::launch::async, [&] { return differenceThroughLibmdb(ma.get(), mb.get()); });
        const QString definitions = firstDifference([&] { compareDefinitions(*a, *b); });
        const QString rowDifference = rows.get(), libmdbDifference = throughLibmdb.get();
        for (const QString &difference : {definitions, rowDifference, libmdbDifference})
            if (!difference.isEmpty())
                return difference;
    } catch (const Differs &d) {
        return d.what;
    } catch (const HostError &e) {
        return readingFailed(e);
    }
    return QString();
}

QString compactedCopyDifference(const PageAccount &source, const QString &copy)
{
    std::future<QString> indexes = std::async(std::launch::async, [&] {
        try {
            return indexDifference(source, PageAccount::read(copy));
        } catch (const HostError &e) {
            return readingFailed(e);
        }
    });
    const QString difference = differenceBetween(source.path, copy);
    const QString ofIndexes = indexes.get();
    return difference.isEmpty() ? ofIndexes : difference;
}
