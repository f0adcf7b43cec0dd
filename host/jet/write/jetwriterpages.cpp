// Page-level parts of the Jet writer: the header page, data pages and
// usage maps (inline, and by reference to bitmap pages when a map is too
// wide for a row).

#include "host/jet/write/jetwriterpages.h"
#include "host/jet/write/vbawriter.h"
#include "host/vb/errors.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace jetw {

void fail(const QString &message)
{
    throw HostError(Err(3000), message);
}

QByteArray ucs2(const QString &s)
{
    QByteArray out;
    out.reserve(s.size() * 2);
    for (QChar c : s)
        append16(out, c.unicode());
    return out;
}

namespace {
thread_local const JetFormat *activeFormat = nullptr;
const JetFormat jet4Format;
} // namespace

const JetFormat &fmt()
{
    return activeFormat ? *activeFormat : jet4Format;
}

FormatScope::FormatScope(const JetFormat &format)
    : m_previous(activeFormat)
{
    activeFormat = &format;
}

FormatScope::~FormatScope()
{
    activeFormat = m_previous;
}

QByteArray JetFormat::text(const QString &s, const QString &what) const
{
    if (!jet3)
        return ucs2(s);
    return encodeCodePage(s, codePage, what.isEmpty() ? QStringLiteral("\"%1\"").arg(s) : what);
}

QByteArray JetFormat::lengthPrefixed(const QString &name) const
{
    const QByteArray bytes = text(name);
    QByteArray out;
    if (jet3) {
        if (bytes.size() > 255)
            fail(QStringLiteral("the name %1 is too long").arg(name));
        out.append(char(bytes.size()));
    } else {
        append16(out, quint16(bytes.size()));
    }
    return out + bytes;
}

quint32 PageFile::add(const QByteArray &page)
{
    Q_ASSERT(page.size() == fmt().pageSize);
    m_pages.append(page);
    return quint32(m_pages.size() - 1);
}

QByteArray PageFile::join() const
{
    QByteArray out;
    out.reserve(m_pages.size() * fmt().pageSize);
    for (const QByteArray &p : m_pages)
        out += p;
    return out;
}

RowPager::RowPager(PageFile &file, const QByteArray &ownerBytes)
    : m_file(&file)
    , m_owner(ownerBytes)
{
    Q_ASSERT(ownerBytes.size() == 8);
}

RowPager RowPager::forOwner(PageFile &file, quint32 ownerPage)
{
    QByteArray owner(8, '\0');
    put32(owner, 0, ownerPage);
    return RowPager(file, owner);
}

RowPager RowPager::forLongValues(PageFile &file)
{
    return RowPager(file, QByteArray("LVAL\0\0\0\0", 8));
}

namespace {

// Usage-map rows live on pages owned by none.
bool ownedByNone(const QByteArray &owner)
{
    return owner == QByteArray(8, '\0');
}

// An inline usage map (type 0) too wide for a page, as a reference map
// (type 1): the bits go to type-0x05 pages added to `file`, each covering
// (page size - 4) * 8 pages from page 0 on, and the row lists those pages
// (0 for a range without pages, which readers skip).
QByteArray referenceMapRow(PageFile &file, const QByteArray &inlineRow)
{
    const JetFormat &f = fmt();
    const quint32 perBitmap = quint32(f.pageSize - 4) * 8;
    const quint32 start = le32(inlineRow, 1);
    QList<QByteArray> bitmaps; // by range; empty: no page in it
    for (qsizetype byte = 5; byte < inlineRow.size(); ++byte) {
        for (int bit = 0; bit < 8; ++bit) {
            if (!(uchar(inlineRow[byte]) & (1 << bit)))
                continue;
            const quint32 page = start + quint32(byte - 5) * 8 + quint32(bit);
            const qsizetype range = qsizetype(page / perBitmap);
            if (bitmaps.size() <= range)
                bitmaps.resize(range + 1);
            QByteArray &bitmap = bitmaps[range];
            if (bitmap.isEmpty()) {
                bitmap = QByteArray(f.pageSize, '\0');
                bitmap[0] = 0x05;
                bitmap[1] = 0x01;
            }
            const quint32 at = page % perBitmap;
            bitmap[4 + at / 8] = char(bitmap[4 + at / 8] | (1 << (at % 8)));
        }
    }
    QByteArray row(1, '\x01');
    for (const QByteArray &bitmap : bitmaps)
        append32(row, bitmap.isEmpty() ? 0 : file.add(bitmap));
    return row;
}

} // namespace

quint32 RowPager::add(const QByteArray &given)
{
    const JetFormat &f = fmt();
    const QByteArray row = given.size() > f.maxRowSize() && given.at(0) == 0 && ownedByNone(m_owner)
                               ? referenceMapRow(*m_file, given)
                               : given;
    if (row.size() > f.maxRowSize())
        fail(QStringLiteral("a row of %1 bytes does not fit a page").arg(row.size()));
    const auto freeBytes = [](const QByteArray &p) {
        return int(qFromLittleEndian<quint16>(p.constData() + 2));
    };
    if (m_pages.isEmpty() || freeBytes((*m_file)[m_pages.last()]) < row.size() + 2) {
        QByteArray page(f.pageSize, '\0');
        page[0] = 0x01;
        page[1] = 0x01;
        put16(page, 2, quint16(f.pageSize - f.dataPageHeader));
        // Jet 3 has no second word after the owner.
        page.replace(4, f.jet3 ? 4 : 8, m_owner.left(f.jet3 ? 4 : 8));
        m_pages.append(m_file->add(page));
    }
    QByteArray &page = (*m_file)[m_pages.last()];
    const int countAt = f.rowCountAt(), offsetsAt = f.dataPageHeader;
    const int rows = qFromLittleEndian<quint16>(page.constData() + countAt);
    // Rows grow down from the page end; row i ends where row i-1 starts.
    const int end =
        rows == 0
            ? f.pageSize
            : qFromLittleEndian<quint16>(page.constData() + offsetsAt + 2 * (rows - 1)) & 0x1FFF;
    const int start = end - int(row.size());
    std::memcpy(page.data() + start, row.constData(), size_t(row.size()));
    put16(page, offsetsAt + 2 * rows, quint16(start));
    put16(page, countAt, quint16(rows + 1));
    put16(page, 2, quint16(freeBytes(page) - row.size() - 2));
    return dataPointer(m_pages.last(), rows);
}

void RowPager::markDeleted(quint32 pointer)
{
    QByteArray &page = (*m_file)[pointer >> 8];
    const int at = fmt().dataPageHeader + 2 * int(pointer & 0xFF);
    // Access flags a deleted row 0xC000; 0x8000 alone marks the target of an
    // overflow row.
    put16(page, at, quint16(qFromLittleEndian<quint16>(page.constData() + at) | 0xC000));
}

namespace {

// The RC4 key stream that masks the header.
QByteArray rc4(const QByteArray &key, int length)
{
    quint8 s[256];
    for (int i = 0; i < 256; ++i)
        s[i] = quint8(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + quint8(key[i % key.size()])) & 0xFF;
        std::swap(s[i], s[j]);
    }
    QByteArray out(length, '\0');
    for (int n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        out[n] = char(s[(s[i] + s[j]) & 0xFF]);
    }
    return out;
}

} // namespace

QByteArray headerPage(const JetWriterDatabase &db)
{
    const JetFormat &f = fmt();
    QByteArray p(f.pageSize, '\0');
    p[1] = 0x01;
    std::memcpy(p.data() + 4, "Standard Jet DB", 16);
    p[0x14] = f.jet3 ? 0x00 : 0x01;
    const quint32 words[] = {0x100, 0x101, 2, 3, 4, 5};
    for (int i = 0; i < 6; ++i)
        put32(p, 0x18 + 4 * i, words[i]);
    put32(p, 0x3E, 0); // database key: non-zero would mean encrypted pages
    int masked = 128;
    if (f.jet3) {
        put16(p, 0x38, 1);
        put16(p, 0x3A, quint16(f.sortOrder));
        put16(p, 0x3C, f.codePage);
        masked = 126;
    } else {
        put16(p, 0x3C, 1252);
        // An empty password is stored as the bare mask: the creation day repeated.
        const qint32 day = qint32(std::floor(db.created));
        for (int i = 0; i < 40; i += 4)
            put32(p, 0x42 + i, quint32(day));
        put32(p, 0x6E, quint32(db.sortOrder));
        qToLittleEndian(db.created, p.data() + 0x72);
    }
    const QByteArray mask = rc4(QByteArray("\xC7\xDA\x39\x6B", 4), masked);
    for (int i = 0; i < masked; ++i)
        p[0x18 + i] = char(p[0x18 + i] ^ mask[i]);
    return p;
}

QByteArray usageMapRow(const QList<quint32> &pages, quint32 fileEnd, bool globalMap)
{
    quint32 lo = 0, hi = 0;
    if (globalMap) {
        hi = fileEnd;
        // The global map lists the free pages, which are all past the end
        // of a new file: in a file too large for a bitmap from page 0 in one
        // row, the map starts at the end, the pages before it being in use.
        if (int(fileEnd / 8 + 1) + 5 > fmt().maxRowSize())
            lo = fileEnd & ~7u;
    } else if (!pages.isEmpty()) {
        lo = *std::min_element(pages.begin(), pages.end()) & ~7u; // starts are multiples of 8
        hi = *std::max_element(pages.begin(), pages.end());
    }
    // Access writes 128 (Jet 3) or 64 (Jet 4) bitmap bytes; wider spans get
    // a longer bitmap, and one too wide for a page becomes a reference map
    // when a map pager places it.
    const int bytes = std::max<int>(fmt().jet3 ? 128 : 64, int((hi - lo) / 8 + 1));
    QByteArray row(5 + bytes, '\0');
    put32(row, 1, lo);
    const auto set = [&](quint32 page) {
        const quint32 bit = page - lo;
        row[5 + int(bit / 8)] = char(row[5 + int(bit / 8)] | (1 << (bit % 8)));
    };
    if (globalMap) {
        for (quint32 page = fileEnd; page < lo + quint32(bytes) * 8; ++page)
            set(page);
    } else {
        for (quint32 page : pages)
            set(page);
    }
    return row;
}

} // namespace jetw
