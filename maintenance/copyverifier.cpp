#include "maintenance/copyverifier.h"

#include "host/jet/jetfile.h"
#include "host/jet/jetsource.h"
#include "host/jet/mdb.h"
#include "host/vb/errors.h"

#include <QByteArray>
#include <QCryptographicHash>
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
        same(pa.Name() == pb.Name() && pa.Value() == pb.Value(),
             QStringLiteral("property %1 of %2 reads '%3' in the source and '%4' in the copy")
                 .arg(pa.Name(), owner, describe(pa.Value()), describe(pb.Value())));
    }
}

void sameFields(const QList<Field> &a, const QList<Field> &b, const QString &owner)
{
    same(a.size() == b.size(), QStringLiteral("%1 has another number of fields").arg(owner));
    for (qsizetype i = 0; i < a.size(); ++i) {
        const QString where = QStringLiteral("field '%1' of %2").arg(a[i].Name, owner);
        same(a[i].Name == b[i].Name && a[i].Type == b[i].Type && a[i].Size == b[i].Size,
             QStringLiteral("%1 differs in name, type or size").arg(where));
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

// Our reader: every row of every local table, byte for byte.
void compareRows(const std::shared_ptr<JetFile> &fa, const std::shared_ptr<JetFile> &fb)
{
    const QList<CatalogTable> tables = localTables(fa), other = localTables(fb);
    same(tables.size() == other.size(),
         QStringLiteral("the catalogs list another number of tables"));
    for (qsizetype t = 0; t < tables.size(); ++t) {
        same(tables[t].name == other[t].name && tables[t].tdef == other[t].tdef,
             QStringLiteral("the catalog entry of table '%1' differs").arg(tables[t].name));
        JetTable a(fa, tables[t].tdef, tables[t].name), b(fb, other[t].tdef, other[t].name);
        same(a.columns().size() == b.columns().size(),
             QStringLiteral("table '%1' has another number of columns").arg(tables[t].name));
        for (qint64 row = 1;; ++row) {
            const bool more = a.next();
            same(more == b.next(), QStringLiteral("table '%1' has another number of rows (from row "
                                                  "%2 on)")
                                       .arg(tables[t].name)
                                       .arg(row));
            if (!more)
                break;
            for (int c = 0; c < a.columns().size(); ++c) {
                const int type = a.columns()[c].type;
                const bool isLong = type == 0x0B || type == 0x0C;
                same(a.isNull(c) == b.isNull(c) &&
                         (a.isNull(c) ||
                          (isLong ? a.longValue(c) == b.longValue(c) : a.bytes(c) == b.bytes(c))),
                     QStringLiteral("table '%1', row %2, column '%3' differs")
                         .arg(tables[t].name)
                         .arg(row)
                         .arg(a.columns()[c].name));
            }
        }
        same(a.skippedDamage() == b.skippedDamage(),
             QStringLiteral("table '%1' reads with skipped damage in one file only")
                 .arg(tables[t].name));
    }
}

// libmdb on its own: every table of its catalog as its tools bind it,
// hashed row by row.
struct MdbCloser
{
    void operator()(MdbHandle *h) const { mdb_close(h); }
};

QList<QPair<QString, QByteArray>> mdbDigests(const QString &path)
{
    std::unique_ptr<MdbHandle, MdbCloser> mdb(
        mdb_open(path.toLocal8Bit().constData(), MDB_NOFLAGS));
    if (!mdb)
        throw Differs{QStringLiteral("libmdb cannot open '%1'").arg(path)};
    QList<QPair<QString, QByteArray>> out;
    if (!mdb_read_catalog(mdb.get(), MDB_TABLE))
        throw Differs{QStringLiteral("libmdb cannot read the catalog of '%1'").arg(path)};
    for (guint i = 0; i < mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type != MDB_TABLE)
            continue;
        MdbTableDef *table = mdb_read_table(entry);
        QCryptographicHash hash(QCryptographicHash::Sha1);
        if (!table) {
            out.append({QString::fromUtf8(entry->object_name), "unreadable"});
            continue;
        }
        mdb_read_columns(table);
        mdb_rewind_table(table);
        const int columns = int(table->num_cols);
        std::vector<std::vector<char>> bound(columns, std::vector<char>(MDB_BIND_SIZE));
        std::vector<int> lengths(columns);
        // libmdb cannot turn the newer binary types into text; their bytes
        // are compared through our reader.
        for (int c = 0; c < columns; ++c) {
            auto *col = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, c));
            if (col->col_type <= MDB_NUMERIC)
                mdb_bind_column(table, c + 1, bound[c].data(), &lengths[c]);
        }
        qint64 rows = 0;
        while (mdb_fetch_row(table)) {
            ++rows;
            for (int c = 0; c < columns; ++c) {
                auto *col = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, c));
                if (col->col_type == MDB_OLE) {
                    size_t size = 0;
                    void *ole = lengths[c] ? mdb_ole_read_full(mdb.get(), col, &size) : nullptr;
                    hash.addData(QByteArrayView(static_cast<const char *>(ole), qsizetype(size)));
                    free(ole);
                } else {
                    hash.addData(QByteArrayView(bound[c].data(), lengths[c]));
                }
                hash.addData(QByteArrayView("\x1f", 1));
            }
        }
        out.append({QString::fromUtf8(entry->object_name),
                    QByteArray::number(rows) + ':' + hash.result().toHex()});
        mdb_free_tabledef(table);
    }
    return out;
}

void compareThroughLibmdb(const QString &source, const QString &copy)
{
    const auto a = mdbDigests(source), b = mdbDigests(copy);
    same(a.size() == b.size(), QStringLiteral("libmdb lists another number of tables"));
    for (qsizetype i = 0; i < a.size(); ++i)
        same(a[i] == b[i], QStringLiteral("libmdb reads table '%1' differently").arg(a[i].first));
}

} // namespace

QString differenceBetween(const QString &source, const QString &copy)
{
    try {
        const std::shared_ptr<JetSource> a = JetSource::open(source), b = JetSource::open(copy);
        compareDefinitions(*a, *b);
        compareRows(JetFile::open(source, JetOptions()), JetFile::open(copy, JetOptions()));
        compareThroughLibmdb(source, copy);
    } catch (const Differs &d) {
        return d.what;
    } catch (const HostError &e) {
        return QStringLiteral("reading them raised %1 (%2)").arg(e.code()).arg(e.description());
    }
    return QString();
}
