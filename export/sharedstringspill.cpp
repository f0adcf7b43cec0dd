#include "export/sharedstringspill.h"

#include "export/biffrecords.h"
#include "host/vb/errors.h"

#include <QtEndian>

SharedStringSpill::SharedStringSpill(const QString &folder)
    : m_file(folder + QStringLiteral("/.sst.XXXXXX.tmp"))
{
    if (!m_file.open())
        throw HostError(Err::PathFileAccess,
                        QStringLiteral("Cannot create a temporary file in \"%1\": %2")
                            .arg(folder, m_file.errorString()));
    biff::put32(m_record, 0); // the counts, filled in by finish()
    biff::put32(m_record, 0);
}

void SharedStringSpill::flushToFile(const QByteArray &bytes)
{
    if (m_file.write(bytes) != bytes.size())
        throw HostError(Err::PathFileAccess, QStringLiteral("Writing the temporary file \"%1\" "
                                                            "failed: %2")
                                                 .arg(m_file.fileName(), m_file.errorString()));
}

void SharedStringSpill::endRecord()
{
    QByteArray header;
    biff::put16(header, m_firstRecord ? biff::Sst : biff::Continue);
    biff::put16(header, quint16(m_record.size()));
    flushToFile(header + m_record);
    m_written += 4 + m_record.size();
    m_record.clear();
    m_firstRecord = false;
}

quint32 SharedStringSpill::add(const QString &text)
{
    bool oneByte = true;
    for (QChar c : text)
        oneByte = oneByte && c.unicode() <= 0xFF;
    const qsizetype charSize = oneByte ? 1 : 2;
    // The length and flags never split from the first character.
    if (m_record.size() + 3 + (text.isEmpty() ? 0 : charSize) > biff::MaxRecordData)
        endRecord();
    if (m_count % m_stride == 0) {
        m_buckets.append({quint32(m_written + 4 + m_record.size()), quint16(4 + m_record.size())});
        if (m_buckets.size() > 128) {
            // Twice as many strings per bucket: keep every other bucket.
            QList<Bucket> kept;
            for (qsizetype i = 0; i < m_buckets.size(); i += 2)
                kept.append(m_buckets[i]);
            m_buckets = kept;
            m_stride *= 2;
        }
    }
    biff::put16(m_record, quint16(text.size()));
    biff::put8(m_record, oneByte ? 0 : 1);
    qsizetype at = 0;
    while (at < text.size()) {
        qsizetype room = (biff::MaxRecordData - m_record.size()) / charSize;
        if (room == 0) {
            // A CONTINUE record goes on with the characters after its own flags byte.
            endRecord();
            biff::put8(m_record, oneByte ? 0 : 1);
            room = (biff::MaxRecordData - 1) / charSize;
        }
        const qsizetype n = qMin(room, text.size() - at);
        for (qsizetype i = at; i < at + n; ++i) {
            if (oneByte)
                biff::put8(m_record, quint8(text[i].unicode()));
            else
                biff::put16(m_record, text[i].unicode());
        }
        at += n;
    }
    return m_count++;
}

void SharedStringSpill::finish()
{
    endRecord();
    if (!m_file.flush())
        throw HostError(Err::PathFileAccess,
                        QStringLiteral("Writing the temporary file \"%1\" failed: %2")
                            .arg(m_file.fileName(), m_file.errorString()));
}

QByteArray SharedStringSpill::extsst(quint32 streamOffset) const
{
    QByteArray data;
    biff::put16(data, quint16(m_stride));
    for (const Bucket &b : m_buckets) {
        biff::put32(data, streamOffset + b.position);
        biff::put16(data, b.inRecord);
        biff::put16(data, 0);
    }
    QByteArray out;
    biff::record(out, biff::Extsst, data);
    return out;
}
