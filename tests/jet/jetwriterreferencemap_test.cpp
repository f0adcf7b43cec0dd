// A table whose data pages span more than an inline usage map can hold in
// one row: the writer gives it reference maps (bitmaps on type-0x05 pages),
// and both our reader and mdbtools find every row through them. One row per
// page keeps the file as small as the span allows: 33 MB in Jet 3, whose
// maps are built as Jet 4's are (a Jet 4 table needs 135 MB, too slow here;
// export_bench writes and reads one of 1,000,000 rows).

#include "jet/writertest.h"
#include "support/testsupport.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// Seven binary fields of 255 bytes fill a Jet 3 page (fourteen a Jet 4
// one); mdb-export leaves binary out, so that its output stays small.
JetWriterDatabase onePerPage(int version, int rows)
{
    JetWriterDatabase db;
    db.version = version;
    JetWriterTable t;
    t.name = QStringLiteral("Wide");
    t.columns = {column(QStringLiteral("ID"), JetType::Long)};
    const int fields = version == 3 ? 7 : 14;
    for (int c = 0; c < fields; ++c)
        t.columns.append(column(QStringLiteral("B%1").arg(c), JetType::Binary, 255));
    t.rows.reserve(rows);
    for (int r = 0; r < rows; ++r) {
        const Value bytes = Value::binary(QByteArray(255, char(r % 251)));
        QList<Value> row{Value::longInt(r)};
        for (int c = 0; c < fields; ++c)
            row.append(bytes);
        t.rows.append(row);
    }
    db.tables = {t};
    return db;
}

// The pages of the file that are usage-map bitmaps.
int bitmapPages(const QString &path, int pageSize)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    int count = 0;
    for (QByteArray page; !(page = file.read(pageSize)).isEmpty();)
        count += page.startsWith(QByteArray("\x05\x01\x00\x00", 4)) ? 1 : 0;
    return count;
}

} // namespace

TEST(JetWriterReferenceMap, RowsBeyondAnInlineMapAreFoundByBothReaders)
{
    // An inline map row holds a bitmap of 2,031 bytes in Jet 3: 16,248 pages.
    const int rows = 16600;
    QTemporaryDir dir;
    const QString path = writeDatabase(dir, onePerPage(3, rows));
    // The owned and free maps of the table, each over two bitmaps (one
    // covers 16,352 pages).
    EXPECT_EQ(bitmapPages(path, 2048), 4);

    const std::shared_ptr<JetSource> source = JetSource::open(path);
    const QList<QList<Value>> read = readAll(*source, QStringLiteral("Wide"));
    ASSERT_EQ(read.size(), rows);
    for (int r : {0, 1, rows / 2, rows - 1}) {
        EXPECT_EQ(read[r].first(), Value::longInt(r));
        EXPECT_EQ(read[r].last(), Value::binary(QByteArray(255, char(r % 251))));
    }

    EXPECT_EQ(runTool("mdb-count", {path, QStringLiteral("Wide")}).trimmed().toInt(), rows);
    const QStringList lines =
        runTool("mdb-export", {"-b", "strip", path, "Wide"}).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), rows + 1);
    for (int r : {0, rows / 2, rows - 1})
        EXPECT_TRUE(lines[r + 1].startsWith(QString::number(r) + u','))
            << lines[r + 1].left(40).toStdString();
}
