#include "host/jet/jetfile.h"

#include "host/jet/bytes.h"
#include "host/vb/errors.h"
#include "host/vb/skippeddamage.h"

#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

// libmdb reads its text encodings from the environment when a file is
// opened; this lock keeps concurrent opens from seeing each other's values.
std::mutex &environmentLock()
{
    static std::mutex lock;
    return lock;
}

// The header area after 0x18 is masked with RC4 under a fixed key.
void rc4(const uchar *key, int keyLength, uchar *data, int length)
{
    uchar s[256];
    for (int i = 0; i < 256; ++i)
        s[i] = uchar(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % keyLength]) & 0xff;
        std::swap(s[i], s[j]);
    }
    for (int n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xff;
        j = (j + s[i]) & 0xff;
        std::swap(s[i], s[j]);
        data[n] ^= s[(s[i] + s[j]) & 0xff];
    }
}

// Restores an environment variable when the open is done.
class ScopedEnv
{
public:
    ScopedEnv(const char *name, const QByteArray &value)
        : m_name(name)
    {
        if (const char *old = getenv(name))
            m_old = QByteArray(old);
        m_had = getenv(name) != nullptr;
        setenv(name, value.constData(), 1);
    }
    ~ScopedEnv()
    {
        if (m_had)
            setenv(m_name, m_old.constData(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char *m_name;
    QByteArray m_old;
    bool m_had = false;
};

} // namespace

QString JetHeader::daoVersion() const
{
    switch (version) {
    case 0:
        return QStringLiteral("3.0");
    case 1:
        return QStringLiteral("4.0");
    case 2:
        return QStringLiteral("12.0");
    case 3:
        return QStringLiteral("14.0");
    case 4:
        return QStringLiteral("15.0");
    default:
        return QStringLiteral("16.0");
    }
}

JetHeader parseJetHeader(const QByteArray &firstPage, qint64 fileSize, const QString &path)
{
    static const char jet[] = "\x00\x01\x00\x00Standard Jet DB";
    static const char ace[] = "\x00\x01\x00\x00Standard ACE DB";
    const auto unrecognized = [&] {
        return HostError(Err::UnrecognizedFormat,
                         QStringLiteral("Unrecognized database format '%1'.").arg(path));
    };
    // Both magic strings are 19 bytes plus their terminating zero.
    if (firstPage.size() < 0x20 || (std::memcmp(firstPage.constData(), jet, 20) != 0 &&
                                    std::memcmp(firstPage.constData(), ace, 20) != 0))
        throw unrecognized();

    JetHeader h;
    h.version = uchar(firstPage.at(0x14));
    if (h.version > 6)
        throw unrecognized();
    h.pageSize = h.isJet3() ? 2048 : 4096;
    // MSysObjects' definition sits on page 2, so three pages is the least.
    const qint64 needed = 0x18 + 128;
    if (firstPage.size() < needed || fileSize < 3 * h.pageSize || fileSize % h.pageSize != 0)
        throw HostError(
            Err::DamagedDatabase,
            QStringLiteral("The database '%1' is damaged: the file is truncated.").arg(path));

    QByteArray masked = firstPage.mid(0x18, h.isJet3() ? 126 : 128);
    static const uchar key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    rc4(key, 4, reinterpret_cast<uchar *>(masked.data()), int(masked.size()));
    h.codePage = le16(masked, 0x3C - 0x18);
    h.databaseKey = le32(masked, 0x3E - 0x18);
    // ACE files are only ever encrypted with Office encryption, which libmdb
    // cannot read; Jet 3/4 RC4 page keys it can.
    if (h.version >= 2 && h.databaseKey != 0)
        throw HostError(Err::PasswordProtected,
                        QStringLiteral("The database '%1' is encrypted with a password and "
                                       "cannot be read.")
                            .arg(path));
    return h;
}

QString jet3CharsetFor(quint16 codePage)
{
    switch (codePage) {
    case 874:
        return QStringLiteral("CP874");
    case 932:
        return QStringLiteral("CP932");
    case 936:
        return QStringLiteral("GBK");
    case 949:
        return QStringLiteral("CP949");
    case 950:
        return QStringLiteral("BIG5");
    case 1250:
    case 1251:
    case 1252:
    case 1253:
    case 1254:
    case 1255:
    case 1256:
    case 1257:
    case 1258:
        return QStringLiteral("CP%1").arg(codePage);
    default:
        return QStringLiteral("CP1252");
    }
}

QString decodeJet4Text(const char *data, qsizetype size)
{
    const auto *p = reinterpret_cast<const uchar *>(data);
    QString out;
    if (size >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
        out.reserve(size);
        bool compressed = true;
        qsizetype i = 2;
        while (i < size) {
            if (p[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                out.append(QChar(p[i]));
                ++i;
            } else if (i + 1 < size) {
                out.append(QChar(char16_t(p[i] | (p[i + 1] << 8))));
                i += 2;
            } else {
                break;
            }
        }
        return out;
    }
    out.resize(size / 2);
    for (qsizetype i = 0; i < size / 2; ++i)
        out[i] = QChar(char16_t(p[2 * i] | (p[2 * i + 1] << 8)));
    return out;
}

QString decimalText(const char *data17, int scale)
{
    unsigned __int128 magnitude = 0;
    for (int w = 0; w < 4; ++w)
        magnitude = (magnitude << 32) | qFromLittleEndian<quint32>(data17 + 1 + 4 * w);
    QByteArray digits;
    do {
        digits.prepend(char('0' + int(magnitude % 10)));
        magnitude /= 10;
    } while (magnitude != 0);
    if (scale > 0) {
        if (digits.size() <= scale)
            digits.prepend(QByteArray(scale - digits.size() + 1, '0'));
        digits.insert(digits.size() - scale, '.');
        while (digits.endsWith('0'))
            digits.chop(1);
        if (digits.endsWith('.'))
            digits.chop(1);
    }
    if (data17[0] != 0 && digits != "0")
        digits.prepend('-');
    return QString::fromLatin1(digits);
}

bool isAnsiCharset(const QString &name)
{
    const QByteArray latin = name.toLatin1();
    const QByteArray upper = latin.toUpper();
    if (latin.isEmpty() || upper.startsWith("UTF") || upper.startsWith("UCS") ||
        upper.startsWith("UNICODE"))
        return false;
    const iconv_t cd = iconv_open(latin.constData(), "UTF-8");
    if (cd == iconv_t(-1))
        return false;
    // An ANSI code page keeps ASCII as it is, one byte per character.
    char ascii[] = "Az09 .";
    char out[32];
    char *in = ascii;
    char *dst = out;
    size_t inLeft = sizeof ascii - 1;
    size_t outLeft = sizeof out;
    const bool converted = iconv(cd, &in, &inLeft, &dst, &outLeft) != size_t(-1);
    iconv_close(cd);
    return converted && size_t(dst - out) == sizeof ascii - 1 &&
           std::memcmp(out, ascii, sizeof ascii - 1) == 0;
}

std::shared_ptr<JetFile> JetFile::open(const QString &path, const JetOptions &options)
{
    const QFileInfo info(path);
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        switch (errno) {
        case ENOENT:
            throw HostError(Err::DaoFileNotFound,
                            QStringLiteral("Could not find file '%1'.").arg(path));
        case ENAMETOOLONG:
            throw HostError(Err::InvalidPath,
                            QStringLiteral("The name '%1' is too long for a file name.").arg(path));
        case ENOTDIR:
            throw HostError(
                Err::InvalidPath,
                QStringLiteral("'%1' is not a valid path: a part of it is not a folder.")
                    .arg(path));
        default: // EACCES above all: a folder on the way the user may not enter
            throw HostError(Err::FileOpenDenied,
                            QStringLiteral("The database '%1' cannot be opened for reading: %2")
                                .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        }
    }
    if (S_ISDIR(st.st_mode))
        throw HostError(Err::InvalidPath,
                        QStringLiteral("'%1' is a folder, not a database file.").arg(path));
    QFile file(path);
    // Exists but will not open: no permission, a socket, a device.
    if (!file.open(QIODevice::ReadOnly))
        throw HostError(Err::FileOpenDenied,
                        QStringLiteral("The database '%1' cannot be opened for reading: %2")
                            .arg(path, file.errorString()));
    const QByteArray first = file.read(4096);
    const qint64 size = file.size();
    file.close();

    std::shared_ptr<JetFile> jet(new JetFile);
    jet->m_path = info.absoluteFilePath();
    jet->m_header = parseJetHeader(first, size, path);
    jet->m_pageCount = size / jet->m_header.pageSize;
    jet->m_charset = options.jet3Charset.isEmpty() ? jet3CharsetFor(jet->m_header.codePage)
                                                   : options.jet3Charset;
    if (jet->m_header.isJet3()) {
        if (!isAnsiCharset(jet->m_charset))
            throw HostError(Err::InvalidProcedureCall,
                            QStringLiteral("The text encoding '%1' is unknown or not a single- or "
                                           "double-byte ANSI code page.")
                                .arg(jet->m_charset));
        jet->m_iconv = iconv_open("UTF-8", jet->m_charset.toLatin1().constData());
    }

    {
        std::lock_guard guard(environmentLock());
        ScopedEnv charset("MDB_JET3_CHARSET", jet->m_charset.toLatin1());
        ScopedEnv output("MDBICONV", "UTF-8");
        jet->m_mdb = mdb_open(QFile::encodeName(jet->m_path).constData(), MDB_NOFLAGS);
    }
    if (!jet->m_mdb)
        jet->raiseDamaged(QStringLiteral("the file header is not readable"));
    return jet;
}

JetFile::~JetFile()
{
    if (m_mdb)
        mdb_close(m_mdb);
    if (m_iconv != iconv_t(-1))
        iconv_close(m_iconv);
}

QString JetFile::decodeText(const char *data, qsizetype size) const
{
    if (size <= 0)
        return QString();
    if (!m_header.isJet3())
        return decodeJet4Text(data, size);

    std::lock_guard guard(m_mutex);
    iconv(m_iconv, nullptr, nullptr, nullptr, nullptr);
    QByteArray out(size * 4 + 8, Qt::Uninitialized);
    char *in = const_cast<char *>(data);
    size_t inLeft = size_t(size);
    char *dst = out.data();
    size_t outLeft = size_t(out.size());
    QString text;
    while (inLeft > 0) {
        if (iconv(m_iconv, &in, &inLeft, &dst, &outLeft) != size_t(-1))
            break;
        if (errno == E2BIG)
            break; // cannot happen with four bytes per input byte
        // An invalid or cut-off byte becomes U+FFFD and decoding goes on.
        text += QString::fromUtf8(out.constData(), dst - out.constData());
        text += QChar(QChar::ReplacementCharacter);
        dst = out.data();
        outLeft = size_t(out.size());
        ++in;
        --inLeft;
        iconv(m_iconv, nullptr, nullptr, nullptr, nullptr);
    }
    text += QString::fromUtf8(out.constData(), dst - out.constData());
    return text;
}

void JetFile::raiseDamaged(const QString &what) const
{
    throw HostError(Err::DamagedDatabase,
                    QStringLiteral("The database '%1' is damaged: %2.").arg(m_path, what));
}

QByteArray JetFile::readPage(quint32 page) const
{
    std::lock_guard guard(m_mutex);
    if (page >= quint64(m_pageCount))
        raiseDamaged(QStringLiteral("page %1 lies beyond the end of the file").arg(page));
    if (mdb_read_alt_pg(m_mdb, page) != m_mdb->fmt->pg_size)
        raiseDamaged(QStringLiteral("page %1 cannot be read").arg(page));
    return QByteArray(reinterpret_cast<const char *>(m_mdb->alt_pg_buf), m_mdb->fmt->pg_size);
}

QByteArray JetFile::readTableDefinition(quint32 page) const
{
    QByteArray first = readPage(page);
    if (first.at(0) != 0x02)
        raiseDamaged(QStringLiteral("page %1 holds no table definition").arg(page));
    QByteArray tdef = first;
    quint32 next = le32(first, 4);
    // A definition longer than this many pages, or one that loops, is damage.
    for (int pages = 1; next != 0; ++pages) {
        if (pages > 256)
            raiseDamaged(QStringLiteral("the definition on page %1 does not end").arg(page));
        const QByteArray more = readPage(next);
        if (more.at(0) != 0x02)
            raiseDamaged(QStringLiteral("page %1 holds no table definition").arg(next));
        tdef += more.mid(8);
        next = le32(more, 4);
    }
    return tdef;
}

QByteArray JetFile::readRow(quint32 page, int row) const
{
    const QByteArray p = readPage(page);
    const int countAt = m_header.isJet3() ? 8 : 12;
    const int count = le16(p, countAt);
    if (p.at(0) != 0x01 || row >= count || countAt + 2 + 2 * (row + 1) > p.size())
        raiseDamaged(QStringLiteral("row %1 of page %2 does not exist").arg(row).arg(page));
    const int start = le16(p, countAt + 2 + 2 * row) & 0x1fff;
    const int end = row == 0 ? int(p.size()) : (le16(p, countAt + 2 * row) & 0x1fff);
    if (start > end || end > p.size())
        raiseDamaged(QStringLiteral("row %1 of page %2 is out of bounds").arg(row).arg(page));
    return p.mid(start, end - start);
}

QByteArray JetFile::readLongValue(const QByteArray &field) const
{
    if (field.size() < 12)
        raiseDamaged(QStringLiteral("a long value reference is cut short"));
    const quint32 header = le32(field, 0);
    const qint64 length = header & 0x00ffffff;
    const quint32 kind = header & 0xff000000u;
    quint32 pageRow = le32(field, 4);
    if (kind & 0x80000000u) // stored inline in the row
        return field.mid(12, length);
    if (kind & 0x40000000u) // one row on another page
        return readRow(pageRow >> 8, int(pageRow & 0xff)).left(length);
    if (kind != 0)
        raiseDamaged(QStringLiteral("a long value has an unknown kind"));
    // A chain of rows, each starting with the page/row of the next.
    QByteArray out;
    for (int links = 0; pageRow != 0 && out.size() < length; ++links) {
        if (links > m_pageCount)
            raiseDamaged(QStringLiteral("a long value chain loops"));
        const QByteArray part = readRow(pageRow >> 8, int(pageRow & 0xff));
        if (part.size() < 4)
            raiseDamaged(QStringLiteral("a long value chain is cut short"));
        out += part.mid(4);
        pageRow = le32(part, 0);
    }
    return out.left(length);
}

JetTableDefinition parseTableDefinition(const QByteArray &tdef, const JetFile &file)
{
    const bool jet3 = file.header().isJet3();
    qsizetype pos = 0;
    const auto need = [&](qsizetype bytes) {
        if (pos + bytes > tdef.size())
            file.raiseDamaged(QStringLiteral("a table definition is cut short"));
    };
    const auto name = [&]() {
        int length;
        if (jet3) {
            need(1);
            length = uchar(tdef.at(pos));
            pos += 1;
        } else {
            need(2);
            length = le16(tdef, pos);
            pos += 2;
        }
        need(length);
        const QString text = file.decodeText(tdef.constData() + pos, length);
        pos += length;
        return text;
    };

    JetTableDefinition def;
    need(jet3 ? 43 : 63);
    def.rowCount = qint32(le32(tdef, jet3 ? 12 : 16));
    def.variableColumns = le16(tdef, jet3 ? 23 : 43);
    const int numCols = le16(tdef, jet3 ? 25 : 45);
    const quint32 numIdx = le32(tdef, jet3 ? 27 : 47);
    const quint32 numRealIdx = le32(tdef, jet3 ? 31 : 51);
    // Jet allows 255 columns and 32 indexes per table.
    if (numCols > 4096 || numIdx > 1000 || numRealIdx > 1000)
        file.raiseDamaged(QStringLiteral("a table definition has impossible counts"));
    pos = (jet3 ? 43 : 63) + qsizetype(numRealIdx) * (jet3 ? 8 : 12);

    const int colEntry = jet3 ? 18 : 25;
    for (int i = 0; i < numCols; ++i) {
        need(colEntry);
        const char *c = tdef.constData() + pos;
        JetColumnDef col;
        col.type = uchar(c[0]);
        col.number = jet3 ? uchar(c[1]) : qFromLittleEndian<quint16>(c + 5);
        col.flags = uchar(c[jet3 ? 13 : 15]);
        col.precision = uchar(c[jet3 ? 10 : 11]);
        col.scale = uchar(c[jet3 ? 11 : 12]);
        col.size = col.type == 0x01 ? 0 : qFromLittleEndian<quint16>(c + (jet3 ? 16 : 23));
        col.varIndex = qFromLittleEndian<quint16>(c + (jet3 ? 3 : 7));
        col.fixedOffset = qFromLittleEndian<quint16>(c + (jet3 ? 14 : 21));
        // A complex column keeps its ComplexID where numbers keep precision.
        if (!jet3 && col.type == 0x12)
            col.complexId = qFromLittleEndian<quint32>(c + 11);
        if (col.type == MDB_TEXT) {
            col.sortOrder = qFromLittleEndian<quint16>(c + (jet3 ? 9 : 11));
            col.sortVersion = jet3 ? 0 : uchar(c[14]);
            col.codePage = jet3 ? qFromLittleEndian<quint16>(c + 11) : 0;
        }
        def.columns.append(col);
        pos += colEntry;
    }
    for (int i = 0; i < numCols; ++i)
        def.columns[i].name = name();

    struct Real
    {
        QList<int> columns;
        QList<bool> descending;
        int flags = 0;
    };
    QList<Real> reals;
    for (quint32 i = 0; i < numRealIdx; ++i) {
        need(jet3 ? 39 : 52);
        qsizetype at = pos + (jet3 ? 0 : 4);
        Real real;
        for (int k = 0; k < 10; ++k, at += 3) {
            const int number = le16(tdef, at);
            if (number == 0xFFFF)
                continue;
            real.columns.append(number);
            real.descending.append(tdef.at(at + 2) == 0);
        }
        // After the map and root pointers; Jet 4 keeps an unknown word first.
        real.flags = uchar(tdef.at(at + (jet3 ? 8 : 12)));
        reals.append(real);
        pos += jet3 ? 39 : 52;
    }
    QList<int> realOf;
    for (quint32 i = 0; i < numIdx; ++i) {
        need(jet3 ? 20 : 28);
        JetIndexDef index;
        realOf.append(int(le32(tdef, pos + (jet3 ? 4 : 8))));
        index.type = uchar(tdef.at(pos + (jet3 ? 19 : 23)));
        def.indexes.append(index);
        pos += jet3 ? 20 : 28;
    }
    for (quint32 i = 0; i < numIdx; ++i) {
        JetIndexDef &index = def.indexes[i];
        index.name = name();
        if (realOf[i] >= 0 && realOf[i] < reals.size()) {
            const Real &real = reals[realOf[i]];
            index.columnNumbers = real.columns;
            index.descending = real.descending;
            index.flags = real.flags;
            index.realIndex = realOf[i];
        }
    }
    std::stable_sort(
        def.columns.begin(), def.columns.end(),
        [](const JetColumnDef &a, const JetColumnDef &b) { return a.number < b.number; });
    return def;
}

int storedNumberSize(int type)
{
    switch (type) {
    case MDB_BYTE:
        return 1;
    case MDB_INT:
        return 2;
    case MDB_LONGINT:
    case MDB_COMPLEX:
    case MDB_FLOAT:
        return 4;
    case MDB_MONEY:
    case MDB_DOUBLE:
    case MDB_DATETIME:
    case 0x13: // large number
        return 8;
    }
    return 0;
}

Value storedNumber(int type, const char *data)
{
    switch (type) {
    case MDB_BYTE:
        return Value::integer(qint16(uchar(*data)));
    case MDB_INT:
        return Value::integer(qFromLittleEndian<qint16>(data));
    case MDB_LONGINT:
    case MDB_COMPLEX:
        return Value::longInt(qFromLittleEndian<qint32>(data));
    case MDB_MONEY:
        return Value::currency(qFromLittleEndian<qint64>(data));
    case MDB_FLOAT:
        return Value::single(qFromLittleEndian<float>(data));
    case MDB_DOUBLE:
        return Value::dbl(qFromLittleEndian<double>(data));
    case MDB_DATETIME:
        return Value::date(qFromLittleEndian<double>(data));
    default: // large number
        return Value::dbl(double(qFromLittleEndian<qint64>(data)));
    }
}

bool crackRow(const QByteArray &row, bool jet3, const JetTableDefinition &def,
              QList<JetCell> &cells)
{
    const auto byteAt = [&](qsizetype at) { return uchar(row.at(at)); };
    const qsizetype size = row.size();
    const qsizetype last = size - 1;
    cells.fill(JetCell(), def.columns.size());
    const int countSize = jet3 ? 1 : 2;
    if (size < countSize)
        return false;
    const int columnCount = jet3 ? byteAt(0) : le16(row, 0);
    const int maskSize = (columnCount + 7) / 8;
    if (countSize + maskSize > size)
        return false;
    const qsizetype maskAt = size - maskSize;

    // Offsets of the variable columns, the end of the last one after them.
    QList<int> offsets;
    int varCount = 0;
    if (def.variableColumns > 0) {
        if (jet3) {
            varCount = byteAt(last - maskSize);
            // Offsets are one byte; a jump table names where they pass 256.
            int jumps = int(last / 256);
            const qsizetype offsetsAt = last - maskSize - jumps - 1;
            if (offsetsAt - varCount < countSize)
                return false;
            if ((offsetsAt - varCount) / 256 < jumps)
                --jumps; // the last jump is a dummy
            if (maskSize + jumps + 1 > last)
                return false;
            int used = 0;
            for (int i = 0; i <= varCount; ++i) {
                while (used < jumps && i == byteAt(last - maskSize - used - 1))
                    ++used;
                offsets.append(byteAt(offsetsAt - i) + used * 256);
            }
        } else {
            varCount = le16(row, last - maskSize - 1);
            if (maskSize + 3 + varCount * 2 + 2 > last)
                return false;
            for (int i = 0; i <= varCount; ++i)
                offsets.append(le16(row, last - maskSize - 3 - i * 2));
        }
    }

    const int fixedCount = columnCount - varCount;
    int fixedFound = 0;
    for (int i = 0; i < def.columns.size(); ++i) {
        const JetColumnDef &col = def.columns[i];
        JetCell &cell = cells[i];
        const int maskByte = col.number / 8;
        cell.null = maskByte >= maskSize || !(byteAt(maskAt + maskByte) & (1 << (col.number % 8)));
        if (col.fixed() && fixedFound < fixedCount) {
            cell.start = col.fixedOffset + countSize;
            cell.size = col.size;
            ++fixedFound;
        } else if (!col.fixed() && col.varIndex < varCount) {
            cell.start = offsets[col.varIndex];
            cell.size = offsets[col.varIndex + 1] - cell.start;
        } else {
            cell = JetCell(); // a column added after the row was written
        }
        if (cell.size < 0 || cell.start + cell.size > size)
            return false;
    }
    return true;
}

JetTable::JetTable(std::shared_ptr<JetFile> file, quint32 tdefPage, const QString &name)
    : m_file(std::move(file))
    , m_name(name)
    , m_tdefPage(tdefPage)
{
    std::lock_guard guard(m_file->mutex());
    const QByteArray tdef = m_file->readTableDefinition(tdefPage);
    m_definition = parseTableDefinition(tdef, *m_file);
    readPageMapRow(tdef);
}

int JetTable::columnIndex(QStringView name) const
{
    for (int i = 0; i < m_definition.columns.size(); ++i)
        if (m_definition.columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

// The row of the page map a definition names; a map row on a damaged page
// would read as an empty map, and the table as having no rows.
void JetTable::readPageMapRow(const QByteArray &tdef)
{
    const int at = m_file->header().isJet3() ? 35 : 55;
    if (tdef.size() < at + 4)
        m_file->raiseDamaged(
            QStringLiteral("the definition of table '%1' is cut short").arg(m_name));
    const int row = uchar(tdef.at(at));
    const quint32 page = le32(tdef, at) >> 8;
    const auto raise = [&](const QString &why) {
        m_file->raiseDamaged(QStringLiteral("table '%1': the page map in row %2 of page %3 %4")
                                 .arg(m_name)
                                 .arg(row)
                                 .arg(page)
                                 .arg(why));
    };
    try {
        m_pageMap = m_file->readRow(page, row);
    } catch (const HostError &) {
        raise(QStringLiteral("does not exist"));
    }
    if (m_pageMap.isEmpty() || uchar(m_pageMap.at(0)) > 1 ||
        (m_pageMap.at(0) == 0 && m_pageMap.size() < 5))
        raise(QStringLiteral("is unreadable"));
}

void JetTable::skip(const QString &what) const
{
    m_skipped = true;
    noteSkippedDamage(QStringLiteral("The database '%1' is damaged: table '%2': %3; skipped.")
                          .arg(m_file->path(), m_name, what));
}

// The pages of a table come from its page map, checked page by page.
void JetTable::readUsageMap()
{
    const QByteArray &map = m_pageMap;
    const qint64 pageCount = m_file->pageCount();
    const auto add = [&](quint64 page) {
        if (page > 0 && page < quint64(pageCount))
            m_pages.append(quint32(page));
        else
            skip(
                QStringLiteral("its page map names page %1, beyond the end of the file").arg(page));
    };
    if (map.isEmpty())
        return;
    if (map.at(0) == 0) {
        if (map.size() < 5)
            return;
        const quint32 first = qFromLittleEndian<quint32>(map.constData() + 1);
        for (qsizetype byte = 5; byte < map.size(); ++byte)
            for (int bit = 0; bit < 8; ++bit)
                if (uchar(map.at(byte)) & (1 << bit))
                    add(quint64(first) + quint64(byte - 5) * 8 + bit);
    } else if (map.at(0) == 1) {
        const qint64 perPage = (m_file->header().pageSize - 4) * 8;
        for (qsizetype at = 1, index = 0; at + 4 <= map.size(); at += 4, ++index) {
            const quint32 mapPage = qFromLittleEndian<quint32>(map.constData() + at);
            if (mapPage == 0)
                continue;
            const QByteArray bits = m_file->readPage(mapPage);
            for (qsizetype byte = 4; byte < bits.size(); ++byte)
                for (int bit = 0; bit < 8; ++bit)
                    if (uchar(bits.at(byte)) & (1 << bit))
                        add(quint64(index) * perPage + quint64(byte - 4) * 8 + bit);
        }
    } else {
        m_file->raiseDamaged(QStringLiteral("the page map of table '%1' is unknown").arg(m_name));
    }
}

// Reads `page` into libmdb's page buffer; false when it is not a data page
// of this table.
bool JetTable::loadDataPage(quint32 page)
{
    MdbHandle *mdb = m_file->handle();
    // libmdb reads nothing when the page is already in the buffer.
    if (mdb_read_pg(mdb, page) != mdb->fmt->pg_size)
        m_file->raiseDamaged(QStringLiteral("page %1 cannot be read").arg(page));
    return mdb->pg_buf[0] == 0x01 && quint32(mdb_get_int32(mdb->pg_buf, 4)) == m_tdefPage;
}

// Where row `row` of the page in the buffer lies, or false (and noted) when
// its offsets make no sense. Row 0 ends at the page end, row i where row
// i - 1 starts.
bool JetTable::rowBounds(quint32 page, int row, int &start, int &size) const
{
    MdbHandle *mdb = m_file->handle();
    const int countAt = mdb->fmt->row_count_offset;
    const int pageSize = int(mdb->fmt->pg_size);
    const int offsetsEnd = countAt + 2 + 2 * mdb_get_int16(mdb->pg_buf, countAt);
    start = mdb_get_int16(mdb->pg_buf, countAt + 2 + 2 * row) & 0x1fff;
    const int end = row == 0 ? pageSize : (mdb_get_int16(mdb->pg_buf, countAt + 2 * row) & 0x1fff);
    size = end - start;
    if (start < offsetsEnd || size <= 0 || end > pageSize) {
        skip(QStringLiteral("row %1 of page %2 lies outside its page").arg(row).arg(page));
        return false;
    }
    return true;
}

// Follows an overflow row to the row that holds the data (each hop a data
// pointer: row number, then a 3-byte page) and leaves that page in the
// buffer. False (and noted) when the chain leads nowhere valid.
bool JetTable::followOverflow(quint32 &page, int &row, int &start, int &size)
{
    MdbHandle *mdb = m_file->handle();
    const int countAt = mdb->fmt->row_count_offset;
    for (int hop = 0; hop < 16; ++hop) {
        if (size < 4) {
            skip(QStringLiteral("the overflow row %1 of page %2 is cut short").arg(row).arg(page));
            return false;
        }
        const int toRow = mdb->pg_buf[start];
        const quint32 toPage = quint32(mdb_get_int32(mdb->pg_buf, start)) >> 8;
        if (toPage == 0 || toPage >= quint64(m_file->pageCount()) || !loadDataPage(toPage) ||
            toRow >= mdb_get_int16(mdb->pg_buf, countAt) ||
            countAt + 2 + 2 * (toRow + 1) > int(mdb->fmt->pg_size)) {
            skip(QStringLiteral("the overflow row %1 of page %2 points to row %3 of page %4, "
                                "which is not a row of this table")
                     .arg(row)
                     .arg(page)
                     .arg(toRow)
                     .arg(toPage));
            return false;
        }
        page = toPage;
        row = toRow;
        if (!rowBounds(page, row, start, size))
            return false;
        // The target is flagged deleted, so that scans see it only through here.
        if (!(mdb_get_int16(mdb->pg_buf, countAt + 2 + 2 * row) & 0x4000))
            return true;
    }
    skip(QStringLiteral("the overflow rows from page %1 do not end").arg(page));
    return false;
}

bool JetTable::next()
{
    std::lock_guard guard(m_file->mutex());
    MdbHandle *mdb = m_file->handle();
    const int countAt = mdb->fmt->row_count_offset;
    const int pageSize = int(mdb->fmt->pg_size);
    if (!m_started) {
        m_started = true;
        readUsageMap();
        m_pageIndex = -1;
        m_pageRows = 0;
        m_nextRow = 0;
    }
    for (;;) {
        if (m_nextRow >= m_pageRows) {
            if (++m_pageIndex >= m_pages.size())
                return false;
            const quint32 page = m_pages[m_pageIndex];
            m_nextRow = 0;
            m_pageRows = 0;
            if (!loadDataPage(page)) {
                skip(QStringLiteral("its page map names page %1, which is not one of its data "
                                    "pages")
                         .arg(page));
                continue;
            }
            m_pageRows = mdb_get_int16(mdb->pg_buf, countAt);
            if (countAt + 2 + 2 * m_pageRows > pageSize) {
                skip(QStringLiteral("page %1 claims more rows than it can hold").arg(page));
                m_pageRows = 0;
            }
            continue;
        }
        // An overflow row or another table may have used the buffer meanwhile.
        quint32 page = m_pages[m_pageIndex];
        if (!loadDataPage(page)) {
            m_pageRows = 0;
            continue;
        }
        int row = m_nextRow++;
        const int offset = mdb_get_int16(mdb->pg_buf, countAt + 2 + 2 * row);
        if (offset & 0x8000) // deleted, or the target of an overflow row
            continue;
        int start = 0;
        int size = 0;
        if (!rowBounds(page, row, start, size))
            continue;
        if ((offset & 0x4000) && !followOverflow(page, row, start, size))
            continue;
        m_row = QByteArray(reinterpret_cast<const char *>(mdb->pg_buf) + start, qsizetype(size));
        if (!crackRow(m_row, m_file->header().isJet3(), m_definition, m_cells)) {
            skip(QStringLiteral("row %1 of page %2 cannot be read").arg(row).arg(page));
            continue;
        }
        return true;
    }
}

bool JetTable::isNull(int column) const
{
    if (m_definition.columns.at(column).type == MDB_BOOL)
        return false;
    return m_cells.at(column).null;
}

QByteArray JetTable::bytes(int column) const
{
    const JetCell &cell = m_cells.at(column);
    if (cell.null)
        return QByteArray();
    return m_row.mid(cell.start, cell.size);
}

QByteArray JetTable::longValue(int column) const
{
    if (isNull(column))
        return QByteArray();
    const QByteArray ref = bytes(column);
    if (ref.isEmpty())
        return QByteArray();
    try {
        return m_file->readLongValue(ref);
    } catch (const HostError &error) {
        // The pages of a long value do not name their table; the row does.
        QString description = error.description();
        if (description.endsWith(QLatin1Char('.')))
            description.chop(1);
        throw HostError(Err(error.code()),
                        QStringLiteral("%1 (a value of column '%2' of table '%3').")
                            .arg(description, m_definition.columns.at(column).name, m_name));
    }
}

QString JetTable::text(int column) const
{
    if (isNull(column))
        return QString();
    const int type = m_definition.columns.at(column).type;
    if (type == MDB_TEXT) {
        const QByteArray b = bytes(column);
        return m_file->decodeText(b.constData(), b.size());
    }
    if (type == MDB_MEMO) {
        const QByteArray b = longValue(column);
        return m_file->decodeText(b.constData(), b.size());
    }
    if (type == MDB_NUMERIC) {
        const QByteArray b = bytes(column);
        if (b.size() < 17)
            m_file->raiseDamaged(QStringLiteral("a value of '%1' is cut short")
                                     .arg(m_definition.columns.at(column).name));
        return decimalText(b.constData(), m_definition.columns.at(column).scale);
    }
    const Value v = value(column);
    switch (v.type()) {
    case Value::Type::Text:
        return v.asText();
    case Value::Type::Boolean:
        return v.asBoolean() ? QStringLiteral("True") : QStringLiteral("False");
    case Value::Type::Integer:
        return QString::number(v.asInteger());
    case Value::Type::Long:
        return QString::number(v.asLong());
    default:
        return QString::number(v.toDouble(), 'g', 15);
    }
}

Value JetTable::value(int column) const
{
    const JetColumnDef &col = m_definition.columns.at(column);
    if (col.type == MDB_BOOL)
        return Value::boolean(!m_cells.at(column).null);
    if (isNull(column))
        return Value::null();
    const QByteArray b = bytes(column);
    const auto fixed = [&](int size) {
        if (b.size() < size)
            m_file->raiseDamaged(QStringLiteral("a value of '%1' is cut short").arg(col.name));
        return b.constData();
    };
    if (const int size = storedNumberSize(col.type))
        return storedNumber(col.type, fixed(size));
    switch (col.type) {
    case MDB_TEXT:
    case MDB_MEMO:
        return Value(text(column));
    case MDB_OLE:
        return Value::binary(longValue(column));
    case MDB_REPID: {
        const QUuid id = QUuid::fromRfc4122(QByteArray(fixed(16), 16));
        // The first three groups are stored little endian.
        const QUuid le(qFromLittleEndian<quint32>(b.constData()),
                       qFromLittleEndian<quint16>(b.constData() + 4),
                       qFromLittleEndian<quint16>(b.constData() + 6), uchar(b[8]), uchar(b[9]),
                       uchar(b[10]), uchar(b[11]), uchar(b[12]), uchar(b[13]), uchar(b[14]),
                       uchar(b[15]));
        Q_UNUSED(id);
        return Value(le.toString(QUuid::WithBraces).toUpper());
    }
    case MDB_NUMERIC:
        // From the exact digits, so that the Double is the nearest one.
        return Value::dbl(decimalText(fixed(17), col.scale).toDouble());
    default:
        return Value::binary(b);
    }
}
