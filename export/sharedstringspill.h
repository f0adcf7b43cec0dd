#pragma once

// The shared string table (SST) of a BIFF8 workbook, written as its
// records form — SST, then CONTINUE records, each at most 8224 bytes of
// data — into a temporary file, since the table must come before the cells
// that use it. Every text cell adds its string (no look-up of repeats: the
// table stays on disk and memory stays flat). Keeps the EXTSST buckets, at
// most 128 of them, as the strings pass.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryFile>
#include <QtEndian>

class SharedStringSpill
{
public:
    // The temporary file goes in `folder` (the export's own).
    explicit SharedStringSpill(const QString &folder);

    // Adds a string; returns its index. Raises 75 or 61 when the disk fails.
    quint32 add(const QString &text);
    // Ends the last record.
    void finish();

    quint32 count() const { return m_count; }
    // The records' bytes (after finish()).
    qint64 size() const { return m_written; }
    // Gives the records in pieces to `give`.
    template <typename Give> void replay(Give give);
    // The EXTSST record for a table beginning at `streamOffset` in the stream.
    QByteArray extsst(quint32 streamOffset) const;

private:
    struct Bucket
    {
        quint32 position; // of the string's first byte, from the table's start
        quint16 inRecord; // from the start of its record, header included
    };

    QTemporaryFile m_file;
    QByteArray m_record; // the data of the record being filled
    bool m_firstRecord = true;
    qint64 m_written = 0; // bytes of whole records flushed to the file
    quint32 m_count = 0;
    QList<Bucket> m_buckets;
    quint32 m_stride = 8; // strings per bucket

    void endRecord();
    void flushToFile(const QByteArray &bytes);
};

template <typename Give> void SharedStringSpill::replay(Give give)
{
    m_file.seek(0);
    QByteArray chunk;
    bool first = true;
    while (!(chunk = m_file.read(1 << 16)).isEmpty()) {
        if (first) // the counts, known only now, after the SST record's header
            for (int i = 0; i < 2; ++i)
                qToLittleEndian(m_count, chunk.data() + 4 + 4 * i);
        first = false;
        give(chunk.constData(), chunk.size());
    }
}
