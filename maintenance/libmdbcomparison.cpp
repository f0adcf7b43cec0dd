#include "maintenance/libmdbcomparison.h"

#include <QByteArray>
#include <QList>
#include <cstring>
#include <vector>

namespace {

struct MdbTableFreer
{
    void operator()(MdbTableDef *t) const { mdb_free_tabledef(t); }
};

class MdbRows
{
public:
    explicit MdbRows(MdbCatalogEntry *entry)
        : m_mdb(entry->mdb)
        , m_table(mdb_read_table(entry))
    {
        if (!m_table)
            return;
        mdb_read_columns(m_table.get());
        mdb_rewind_table(m_table.get());
        const int columns = int(m_table->num_cols);
        m_bound.resize(columns);
        m_lengths.resize(columns);
        for (int c = 0; c < columns; ++c) {
            const int type = column(c)->col_type;
            if (type == MDB_MEMO || type == MDB_OLE) {
                m_bound[c].resize(MDB_BIND_SIZE);
                mdb_bind_column(m_table.get(), c + 1, m_bound[c].data(), &m_lengths[c]);
            }
        }
    }

    bool readable() const { return bool(m_table); }
    int columns() const { return int(m_bound.size()); }
    MdbColumn *column(int c) const
    {
        return static_cast<MdbColumn *>(g_ptr_array_index(m_table->columns, c));
    }
    bool next() { return mdb_fetch_row(m_table.get()); }

    bool sameValue(MdbRows &other, int c)
    {
        MdbColumn *mine = column(c), *theirs = other.column(c);
        switch (mine->col_type) {
        case MDB_MEMO:
            return m_lengths[c] == other.m_lengths[c] &&
                   std::memcmp(m_bound[c].data(), other.m_bound[c].data(), m_lengths[c]) == 0;
        case MDB_OLE: {
            if (m_lengths[c] != other.m_lengths[c])
                return false;
            if (!m_lengths[c])
                return true;
            const QByteArray a = oleValue(c), b = other.oleValue(c);
            return a == b;
        }
        default:
            // A Yes/No value is its length here.
            if (mine->cur_value_len != theirs->cur_value_len)
                return false;
            if (mine->col_type == MDB_BOOL || mine->cur_value_len <= 0)
                return true;
            return std::memcmp(m_mdb->pg_buf + mine->cur_value_start,
                               other.m_mdb->pg_buf + theirs->cur_value_start,
                               size_t(mine->cur_value_len)) == 0;
        }
    }

private:
    QByteArray oleValue(int c)
    {
        size_t size = 0;
        void *ole = mdb_ole_read_full(m_mdb, column(c), &size);
        QByteArray value(static_cast<const char *>(ole), qsizetype(size));
        free(ole);
        return value;
    }

    MdbHandle *m_mdb;
    std::unique_ptr<MdbTableDef, MdbTableFreer> m_table;
    std::vector<std::vector<char>> m_bound;
    std::vector<int> m_lengths;
};

QList<MdbCatalogEntry *> mdbTables(MdbHandle *mdb)
{
    QList<MdbCatalogEntry *> out;
    for (guint i = 0; i < mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE)
            out.append(entry);
    }
    return out;
}

} // namespace

LibmdbHandle openThroughLibmdb(const QString &path)
{
    LibmdbHandle mdb(mdb_open(path.toLocal8Bit().constData(), MDB_NOFLAGS));
    if (mdb && !mdb_read_catalog(mdb.get(), MDB_TABLE))
        mdb.reset();
    return mdb;
}

QString differenceThroughLibmdb(MdbHandle *ma, MdbHandle *mb)
{
    const QList<MdbCatalogEntry *> ta = mdbTables(ma), tb = mdbTables(mb);
    if (ta.size() != tb.size())
        return QStringLiteral("libmdb lists another number of tables");
    for (qsizetype i = 0; i < ta.size(); ++i) {
        const QString name = QString::fromUtf8(ta[i]->object_name);
        const auto differs = [&](const QString &how) {
            return QStringLiteral("libmdb reads table '%1' differently: %2").arg(name, how);
        };
        if (std::strcmp(ta[i]->object_name, tb[i]->object_name) != 0)
            return differs(QStringLiteral("the copy lists '%1' in its place")
                               .arg(QString::fromUtf8(tb[i]->object_name)));
        MdbRows a(ta[i]), b(tb[i]);
        if (a.readable() != b.readable())
            return differs(QStringLiteral("it can be read in one file only"));
        if (!a.readable())
            continue;
        if (a.columns() != b.columns())
            return differs(QStringLiteral("another number of columns"));
        for (qint64 row = 1;; ++row) {
            const bool more = a.next();
            if (more != b.next())
                return differs(QStringLiteral("another number of rows (from row %1 on)").arg(row));
            if (!more)
                break;
            for (int c = 0; c < a.columns(); ++c)
                if (!a.sameValue(b, c))
                    return differs(QStringLiteral("row %1, column '%2'")
                                       .arg(row)
                                       .arg(QString::fromUtf8(a.column(c)->name)));
        }
    }
    return QString();
}
