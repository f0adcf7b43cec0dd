#include "export/compoundfilewriter.h"

#include "host/jet/write/cfbwriter.h"
#include "host/vb/errors.h"

#include <QtEndian>

namespace {

constexpr quint32 SectorSize = 512;
constexpr quint32 MiniStreamCutoff = 4096;
constexpr quint32 FreeSector = 0xFFFFFFFF;
constexpr quint32 EndOfChain = 0xFFFFFFFE;
constexpr quint32 FatSector = 0xFFFFFFFD;
constexpr quint32 DifatSector = 0xFFFFFFFC;
constexpr quint32 NoStream = 0xFFFFFFFF;
constexpr quint32 EntriesPerFatSector = SectorSize / 4;               // 128
constexpr quint32 FatNumbersPerDifatSector = EntriesPerFatSector - 1; // 127 and the next pointer
constexpr quint32 HeaderFatNumbers = 109;

void put16(QByteArray &b, qsizetype at, quint16 v)
{
    qToLittleEndian(v, b.data() + at);
}
void put32(QByteArray &b, qsizetype at, quint32 v)
{
    qToLittleEndian(v, b.data() + at);
}

// A directory entry (128 bytes): name, type, colour, siblings, child,
// start sector and size.
QByteArray directoryEntry(const QString &name, quint8 type, quint32 child, quint32 start,
                          quint64 size)
{
    QByteArray e(128, '\0');
    const QString n = name.left(31);
    for (qsizetype i = 0; i < n.size(); ++i)
        put16(e, i * 2, n[i].unicode());
    put16(e, 64, quint16((n.size() + 1) * 2));
    e[66] = char(type);
    e[67] = 1; // black
    put32(e, 68, NoStream);
    put32(e, 72, NoStream);
    put32(e, 76, child);
    put32(e, 116, start);
    put32(e, 120, quint32(size));
    return e;
}

QByteArray unusedEntry()
{
    QByteArray e(128, '\0');
    put32(e, 68, NoStream);
    put32(e, 72, NoStream);
    put32(e, 76, NoStream);
    return e;
}

// Emits FAT entries sector by sector so the FAT is never held whole.
class FatWriter
{
public:
    explicit FatWriter(AtomicFile &out)
        : m_out(out)
    {
        m_sector.reserve(SectorSize);
    }
    void add(quint32 entry)
    {
        char bytes[4];
        qToLittleEndian(entry, bytes);
        m_sector.append(bytes, 4);
        if (m_sector.size() == qsizetype(SectorSize)) {
            writeExportFile(m_out, m_sector);
            m_sector.clear();
        }
    }
    void finish()
    {
        while (!m_sector.isEmpty())
            add(FreeSector);
    }

private:
    AtomicFile &m_out;
    QByteArray m_sector;
};

} // namespace

void writeSingleStreamCompoundFile(AtomicFile &out, const QString &streamName, quint64 size,
                                   const std::function<void(const ByteWriter &)> &writeStream)
{
    if (size < MiniStreamCutoff) {
        // Small enough to build in memory: the shared writer lays out the mini stream.
        QByteArray bytes;
        writeStream([&bytes](const char *data, qsizetype n) { bytes.append(data, n); });
        if (quint64(bytes.size()) != size)
            throw HostError(Err::Unexpected, QStringLiteral("The workbook stream changed size"));
        writeExportFile(out, buildCompoundFile({CompoundStream{{streamName}, bytes}}));
        return;
    }
    if (size > 0xFFFFFFFFull - SectorSize)
        throw HostError(Err::PathFileAccess,
                        QStringLiteral("The workbook would be larger than a compound file of "
                                       "this version holds (4 GB)"));
    const quint64 streamSectors = (size + SectorSize - 1) / SectorSize;
    const quint64 directorySectors = 1; // the root and the stream
    quint64 fatSectors = 0, difatSectors = 0;
    for (;;) {
        const quint64 total = streamSectors + directorySectors + fatSectors + difatSectors;
        const quint64 fat = (total + EntriesPerFatSector - 1) / EntriesPerFatSector;
        const quint64 difat =
            fat > HeaderFatNumbers
                ? (fat - HeaderFatNumbers + FatNumbersPerDifatSector - 1) / FatNumbersPerDifatSector
                : 0;
        if (fat == fatSectors && difat == difatSectors)
            break;
        fatSectors = fat;
        difatSectors = difat;
    }
    const quint32 directoryStart = quint32(streamSectors);
    const quint32 fatStart = directoryStart + 1;
    const quint32 difatStart = fatStart + quint32(fatSectors);

    QByteArray header(SectorSize, '\0');
    const char signature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    memcpy(header.data(), signature, 8);
    put16(header, 24, 0x003E); // minor version
    put16(header, 26, 0x0003); // major version 3
    put16(header, 28, 0xFFFE); // little-endian
    put16(header, 30, 9);      // 512-byte sectors
    put16(header, 32, 6);      // 64-byte mini sectors
    put32(header, 44, quint32(fatSectors));
    put32(header, 48, directoryStart);
    put32(header, 56, MiniStreamCutoff);
    put32(header, 60, EndOfChain); // no mini FAT
    put32(header, 64, 0);
    put32(header, 68, difatSectors ? difatStart : EndOfChain);
    put32(header, 72, quint32(difatSectors));
    for (quint32 i = 0; i < HeaderFatNumbers; ++i)
        put32(header, 76 + i * 4, i < fatSectors ? fatStart + i : FreeSector);
    writeExportFile(out, header);

    quint64 written = 0;
    writeStream([&](const char *data, qsizetype n) {
        writeExportFile(out, data, n);
        written += quint64(n);
    });
    if (written != size)
        throw HostError(Err::Unexpected, QStringLiteral("The workbook stream changed size"));
    if (const quint64 tail = size % SectorSize)
        writeExportFile(out, QByteArray(qsizetype(SectorSize - tail), '\0'));

    QByteArray directory = directoryEntry(QStringLiteral("Root Entry"), 5, 1, EndOfChain, 0);
    directory += directoryEntry(streamName, 2, NoStream, 0, size);
    directory += unusedEntry();
    directory += unusedEntry();
    writeExportFile(out, directory);

    FatWriter fat(out);
    for (quint32 s = 0; s < streamSectors; ++s)
        fat.add(s + 1 == streamSectors ? EndOfChain : s + 1);
    fat.add(EndOfChain); // the directory
    for (quint64 s = 0; s < fatSectors; ++s)
        fat.add(FatSector);
    for (quint64 s = 0; s < difatSectors; ++s)
        fat.add(DifatSector);
    fat.finish();

    quint32 nextFat = HeaderFatNumbers;
    for (quint64 d = 0; d < difatSectors; ++d) {
        QByteArray sector(SectorSize, '\0');
        for (quint32 i = 0; i < FatNumbersPerDifatSector; ++i, ++nextFat)
            put32(sector, i * 4, nextFat < fatSectors ? fatStart + nextFat : FreeSector);
        put32(sector, FatNumbersPerDifatSector * 4,
              d + 1 < difatSectors ? difatStart + quint32(d) + 1 : EndOfChain);
        writeExportFile(out, sector);
    }
}
