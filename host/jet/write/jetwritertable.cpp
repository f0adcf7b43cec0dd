// Table parts of the Jet 4 writer: column layout, value coercion, row
// packing and the table definition (TDEF) page.

#include "host/jet/write/jetwriterpages.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QUuid>
#include <QtEndian>
#include <cmath>
#include <cstring>

namespace jetw {

namespace {

bool isVariable(int type)
{
    return type == JetType::Text || type == JetType::Binary || type == JetType::Memo ||
           type == JetType::Ole;
}

int fixedSize(int type)
{
    switch (type) {
    case JetType::Boolean:
    case JetType::Byte:
        return 1;
    case JetType::Integer:
        return 2;
    case JetType::Long:
    case JetType::Single:
        return 4;
    case JetType::Currency:
    case JetType::Double:
    case JetType::DateTime:
        return 8;
    case JetType::Guid:
        return 16;
    case JetType::Decimal:
        return 17;
    }
    return 0;
}

double oleDateFromText(const QString &text, bool *ok)
{
    for (const char *format :
         {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-MM-dd"}) {
        const QDateTime dt = QDateTime::fromString(text, QLatin1String(format));
        if (dt.isValid()) {
            *ok = true;
            const double days = double(QDate(1899, 12, 30).daysTo(dt.date()));
            const double time = dt.time().msecsSinceStartOfDay() / 86400000.0;
            // OLE dates before 1899-12-30 keep the time as a positive fraction.
            return days >= 0 ? days + time : days - time;
        }
    }
    *ok = false;
    return 0;
}

double numberOf(const Value &v, const QString &where)
{
    if (v.isText()) {
        bool ok = false;
        const double d = v.asText().trimmed().toDouble(&ok);
        if (!ok)
            fail(QStringLiteral("%1: \"%2\" is not a number").arg(where, v.asText()));
        return d;
    }
    if (v.type() == Value::Type::Binary)
        fail(QStringLiteral("%1: binary data where a number belongs").arg(where));
    return v.toDouble();
}

qint64 integerOf(const Value &v, qint64 lo, qint64 hi, const QString &where)
{
    const double d = numberOf(v, where);
    if (d != std::floor(d) || d < double(lo) || d > double(hi))
        fail(QStringLiteral("%1: %2 is not a whole number from %3 to %4")
                 .arg(where)
                 .arg(d)
                 .arg(lo)
                 .arg(hi));
    return qint64(d);
}

// A GUID in the 16 bytes Jet stores: the first three groups little endian,
// the last eight bytes as written.
QByteArray guidBytes(const Value &v, const QString &where)
{
    static const QRegularExpression form(
        QStringLiteral("^\\{[0-9A-Fa-f]{8}(-[0-9A-Fa-f]{4}){3}-[0-9A-Fa-f]{12}\\}$"));
    const QString text = v.isText() ? v.asText().trimmed() : QString();
    if (!form.match(text).hasMatch())
        fail(QStringLiteral("%1: a GUID needs the form {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}")
                 .arg(where));
    const QUuid id = QUuid::fromString(text);
    QByteArray b(16, '\0');
    qToLittleEndian(id.data1, b.data());
    qToLittleEndian(id.data2, b.data() + 4);
    qToLittleEndian(id.data3, b.data() + 6);
    memcpy(b.data() + 8, id.data4, 8);
    return b;
}

// A Decimal as Jet stores it: a sign byte (0x80 negative), then the value
// times 10^scale as a 128-bit integer in four 32-bit words, the most
// significant word first, each word little endian. Digits past the scale
// are refused rather than rounded, so that nothing is lost unnoticed.
QByteArray decimalBytes(const ColumnLayout &c, const Value &v, const QString &where)
{
    QString text;
    switch (v.type()) {
    case Value::Type::Text:
        text = v.asText().trimmed();
        break;
    case Value::Type::Integer:
    case Value::Type::Long:
        text = QString::number(qint64(v.toDouble()));
        break;
    case Value::Type::Currency: {
        const qint64 units = v.asCurrencyUnits();
        text = QStringLiteral("%1%2.%3")
                   .arg(units < 0 ? QStringLiteral("-") : QString())
                   .arg(qAbs(units) / 10000)
                   .arg(qAbs(units) % 10000, 4, 10, QLatin1Char('0'));
        break;
    }
    case Value::Type::Binary:
        fail(QStringLiteral("%1: binary data where a number belongs").arg(where));
    default:
        // Shortest digits that give the Double back, never an exponent.
        text = QString::number(numberOf(v, where), 'f', QLocale::FloatingPointShortest);
    }
    static const QRegularExpression form(QStringLiteral("^([-+]?)([0-9]*)(?:\\.([0-9]*))?$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch() || m.captured(2).size() + m.captured(3).size() == 0)
        fail(QStringLiteral("%1: \"%2\" is not a decimal number").arg(where, text));
    QString whole = m.captured(2), fraction = m.captured(3);
    while (whole.startsWith(u'0'))
        whole.remove(0, 1);
    while (fraction.size() > c.def.scale && fraction.endsWith(u'0'))
        fraction.chop(1);
    if (fraction.size() > c.def.scale || whole.size() > c.def.precision - c.def.scale)
        fail(QStringLiteral("%1: %2 does not fit Decimal(%3, %4)")
                 .arg(where, text)
                 .arg(c.def.precision)
                 .arg(c.def.scale));
    const QString digits = whole + fraction + QString(c.def.scale - fraction.size(), u'0');
    unsigned __int128 magnitude = 0; // at most 28 digits, below 2^96
    for (const QChar d : digits)
        magnitude = magnitude * 10 + unsigned(d.unicode() - u'0');
    QByteArray b(17, '\0');
    b[0] = char(m.captured(1) == u"-" && magnitude != 0 ? 0x80 : 0x00);
    for (int w = 0; w < 4; ++w)
        qToLittleEndian(quint32(magnitude >> (32 * (3 - w))), b.data() + 1 + 4 * w);
    return b;
}

Value coerce(const ColumnLayout &c, const Value &v, const QString &where)
{
    switch (c.def.type) {
    case JetType::Boolean:
        if (v.isText()) {
            const QString t = v.asText().toLower();
            return Value::boolean(t == u"true" || t == u"yes" || t == u"-1" || t == u"1");
        }
        return Value::boolean(v.type() == Value::Type::Boolean ? v.asBoolean()
                                                               : numberOf(v, where) != 0);
    case JetType::Byte:
        return Value::integer(qint16(integerOf(v, 0, 255, where)));
    case JetType::Integer:
        return Value::integer(qint16(integerOf(v, -32768, 32767, where)));
    case JetType::Long:
        return Value::longInt(qint32(integerOf(v, -2147483648LL, 2147483647LL, where)));
    case JetType::Currency:
        if (v.type() == Value::Type::Currency)
            return v;
        return Value::currency(std::llround(numberOf(v, where) * 10000.0));
    case JetType::Single:
        return Value::single(float(numberOf(v, where)));
    case JetType::Double:
        return Value::dbl(numberOf(v, where));
    case JetType::DateTime:
        if (v.isText()) {
            bool ok = false;
            const double d = oleDateFromText(v.asText(), &ok);
            if (!ok)
                fail(QStringLiteral("%1: \"%2\" is not a date (yyyy-MM-dd [HH:mm:ss])")
                         .arg(where, v.asText()));
            return Value::date(d);
        }
        return Value::date(v.type() == Value::Type::Date ? v.asOleDate() : numberOf(v, where));
    case JetType::Text:
    case JetType::Memo: {
        QString text;
        if (v.isText())
            text = v.asText();
        else if (v.type() == Value::Type::Binary)
            fail(QStringLiteral("%1: binary data where text belongs").arg(where));
        else
            text = QString::number(numberOf(v, where), 'g', 15);
        if (c.def.type == JetType::Text && text.size() > c.def.size)
            fail(QStringLiteral("%1: %2 characters do not fit Text(%3)")
                     .arg(where)
                     .arg(text.size())
                     .arg(c.def.size));
        return Value(text);
    }
    case JetType::Guid:
        return Value::binary(guidBytes(v, where));
    case JetType::Decimal:
        return Value::binary(decimalBytes(c, v, where));
    case JetType::FixedBinary:
        if (v.type() != Value::Type::Binary || v.asBinary().size() > c.def.size)
            fail(QStringLiteral("%1: needs at most %2 bytes of binary data")
                     .arg(where)
                     .arg(c.def.size));
        return Value::binary(v.asBinary() + QByteArray(c.def.size - v.asBinary().size(), '\0'));
    case JetType::Binary:
    case JetType::Ole: {
        const QByteArray bytes = v.type() == Value::Type::Binary ? v.asBinary()
                                 : v.isText()                    ? v.asText().toUtf8()
                                                                 : QByteArray();
        if (v.type() != Value::Type::Binary && !v.isText())
            fail(QStringLiteral("%1: a number where binary data belongs").arg(where));
        if (c.def.type == JetType::Binary && bytes.size() > c.def.size)
            fail(QStringLiteral("%1: %2 bytes do not fit Binary(%3)")
                     .arg(where)
                     .arg(bytes.size())
                     .arg(c.def.size));
        return Value::binary(bytes);
    }
    }
    fail(QStringLiteral("%1: column type %2 is not written").arg(where).arg(c.def.type));
}

// The 12-byte memo/OLE field, followed by the value when it is kept inline.
QByteArray longField(const QByteArray &data, RowPager &pager)
{
    QByteArray field(12, '\0');
    const quint32 size = quint32(data.size());
    if (data.size() <= inlineLongLimit) {
        put32(field, 0, size | 0x80000000u);
        return field + data;
    }
    if (data.size() <= fmt().maxRowSize()) {
        put32(field, 0, size | 0x40000000u);
        put32(field, 4, pager.add(data));
        return field;
    }
    // A chain: each segment starts with the pointer to the next; the last
    // segment is written first so that its pointer is known.
    const int segment = fmt().maxRowSize() - 4;
    quint32 next = 0;
    for (qsizetype start = (data.size() - 1) / segment * segment; start >= 0; start -= segment) {
        QByteArray row(4, '\0');
        put32(row, 0, next);
        row += data.mid(start, segment);
        next = pager.add(row);
    }
    put32(field, 0, size);
    put32(field, 4, next);
    return field;
}

// The end of a Jet 3 row: 1-byte offsets, reversed, then a jump table
// naming the variable column at which each 256-byte boundary is crossed,
// the variable-column count and the null mask. Readers size the jump table
// from the row length, (length - 1) / 256 entries, and take one fewer when
// the data before the offsets does not reach that far: that entry is a dummy.
void packJet3Tail(QByteArray &out, const QList<int> &offsets, int varCount,
                  const QByteArray &nullMask, const QString &table)
{
    if (varCount == 0) {
        if (out.size() + nullMask.size() < 9)
            out.append(QByteArray(9 - nullMask.size() - out.size(), '\0'));
        out += nullMask;
        return;
    }
    const auto tailWithout = [&](int jumps) {
        return int(offsets.size()) + jumps + 1 + int(nullMask.size());
    };
    // Short rows are padded like Jet 4's, so a row can later grow in place.
    if (int(out.size()) + tailWithout(0) < 9) {
        const int pad = 9 - int(out.size()) - tailWithout(0);
        out.append(QByteArray(pad, '\0')); // between the data and the offsets
    }
    const int real = offsets.last() / 256;
    int jumps = real;
    while ((int(out.size()) + tailWithout(jumps) - 1) / 256 != jumps)
        jumps = (int(out.size()) + tailWithout(jumps) - 1) / 256;
    if (jumps < real || jumps > real + 1)
        fail(QStringLiteral("table %1: a row's offset table cannot be laid out").arg(table));
    for (qsizetype i = offsets.size() - 1; i >= 0; --i)
        out.append(char(offsets[i] & 0xFF));
    QByteArray jumpTable(jumps, char(0xFF)); // a dummy entry keeps 0xFF
    for (int k = 0; k < real; ++k) {
        int column = 0;
        while (offsets[column] < 256 * (k + 1))
            ++column;
        jumpTable[jumps - 1 - k] = char(column); // entry 0 sits next to the count
    }
    out += jumpTable;
    out.append(char(varCount));
    out += nullMask;
}

} // namespace

TableLayout layoutTable(const QString &name, const QList<JetWriterColumn> &columns, bool system)
{
    TableLayout t;
    t.name = name;
    t.system = system;
    if (columns.size() > 255)
        fail(QStringLiteral("table %1: more than 255 columns").arg(name));
    int nextVar = 0, nextFixed = 0;
    for (const JetWriterColumn &def : columns) {
        ColumnLayout c;
        c.def = def;
        c.number = int(t.columns.size());
        const QString where = QStringLiteral("%1.%2").arg(name, def.name);
        if (def.name.isEmpty() || def.name.size() > 64)
            fail(QStringLiteral("table %1: a column name must have 1 to 64 characters").arg(name));
        for (const ColumnLayout &other : t.columns)
            if (other.def.name.compare(def.name, Qt::CaseInsensitive) == 0)
                fail(QStringLiteral("%1: the column name is used twice").arg(where));
        if (def.autoNumber && def.type != JetType::Long)
            fail(QStringLiteral("%1: only Long columns can be AutoNumbers").arg(where));
        if (isVariable(def.type)) {
            c.varIndex = nextVar++;
            if (def.type == JetType::Text || def.type == JetType::Binary) {
                if (c.def.size <= 0)
                    c.def.size = 255;
                if (c.def.size > 255)
                    fail(QStringLiteral("%1: size above 255").arg(where));
                // Jet 4 stores UTF-16: two bytes a character.
                c.storedSize =
                    def.type == JetType::Text && !fmt().jet3 ? 2 * c.def.size : c.def.size;
            }
        } else if (def.type == JetType::FixedBinary) {
            if (def.size <= 0 || def.size > fmt().maxRowSize() - 16)
                fail(QStringLiteral("%1: a fixed binary column needs a size that fits a page")
                         .arg(where));
            c.storedSize = def.size;
            c.fixedOffset = nextFixed;
            nextFixed += def.size;
        } else if (def.type == JetType::Decimal && fmt().jet3) {
            fail(QStringLiteral("%1: Jet 3 has no Decimal columns").arg(where));
        } else if (const int size = fixedSize(def.type)) {
            if (def.type == JetType::Decimal && (def.precision < 1 || def.precision > 28 ||
                                                 def.scale < 0 || def.scale > def.precision))
                fail(QStringLiteral("%1: a Decimal needs a precision from 1 to 28 and a scale "
                                    "from 0 to the precision")
                         .arg(where));
            c.storedSize = size;
            // Yes/No values live in the null mask and take no fixed bytes.
            if (def.type != JetType::Boolean) {
                c.fixedOffset = nextFixed;
                nextFixed += size;
            }
        } else {
            fail(QStringLiteral("%1: column type %2 is not written").arg(where).arg(def.type));
        }
        t.columns.append(c);
    }
    return t;
}

void normaliseRows(TableLayout &t, const QList<QList<Value>> &rows)
{
    qint32 maxAuto = 0;
    for (const QList<Value> &row : rows)
        for (const ColumnLayout &c : t.columns)
            if (c.def.autoNumber && c.number < row.size() && !row[c.number].isNull() &&
                !row[c.number].isEmpty())
                maxAuto = std::max(maxAuto, qint32(integerOf(row[c.number], 1, 2147483647LL,
                                                             t.name + u'.' + c.def.name)));
    t.nextAutoNumber = maxAuto + 1;
    int n = 0;
    for (const QList<Value> &row : rows) {
        ++n;
        if (row.size() != t.columns.size())
            fail(QStringLiteral("table %1, row %2: %3 values for %4 columns")
                     .arg(t.name)
                     .arg(n)
                     .arg(row.size())
                     .arg(t.columns.size()));
        QList<Value> out;
        for (const ColumnLayout &c : t.columns) {
            const Value &v = row[c.number];
            const QString where =
                QStringLiteral("table %1, row %2, column %3").arg(t.name).arg(n).arg(c.def.name);
            if (v.isNull() || v.isEmpty()) {
                if (c.def.autoNumber)
                    out.append(Value::longInt(t.nextAutoNumber++));
                else
                    out.append(c.def.type == JetType::Boolean ? Value::boolean(false)
                                                              : Value::null());
            } else {
                out.append(coerce(c, v, where));
            }
        }
        t.rows.append(out);
    }
    t.lastAutoNumber = t.nextAutoNumber - 1;
}

QByteArray packRow(const TableLayout &t, const QList<Value> &row, QList<RowPager> &longPagers)
{
    const int columns = int(t.columns.size());
    int fixedBytes = 0, varCount = 0;
    for (const ColumnLayout &c : t.columns) {
        if (c.varIndex >= 0)
            ++varCount;
        else if (c.def.type != JetType::Boolean)
            fixedBytes = std::max(fixedBytes, c.fixedOffset + c.storedSize);
    }
    QByteArray fixed(fixedBytes, '\0');
    QList<QByteArray> var(varCount);
    QByteArray nullMask((columns + 7) / 8, '\0');
    int longIndex = 0;
    for (const ColumnLayout &c : t.columns) {
        const Value &v = row[c.number];
        const int longSlot = c.isLong() ? longIndex++ : -1;
        const bool present = c.def.type == JetType::Boolean ? v.asBoolean() : !v.isNull();
        if (present)
            nullMask[c.number / 8] = char(nullMask[c.number / 8] | (1 << (c.number % 8)));
        if (!present || c.def.type == JetType::Boolean)
            continue;
        char *at = fixed.data() + c.fixedOffset;
        switch (c.def.type) {
        case JetType::Byte:
            *at = char(v.asInteger());
            break;
        case JetType::Integer:
            qToLittleEndian(v.asInteger(), at);
            break;
        case JetType::Long:
            qToLittleEndian(v.asLong(), at);
            break;
        case JetType::Currency:
            qToLittleEndian(v.asCurrencyUnits(), at);
            break;
        case JetType::Single:
            qToLittleEndian(v.asSingle(), at);
            break;
        case JetType::Double:
            qToLittleEndian(v.asDouble(), at);
            break;
        case JetType::DateTime:
            qToLittleEndian(v.asOleDate(), at);
            break;
        case JetType::Guid:
        case JetType::Decimal:
        case JetType::FixedBinary:
            memcpy(at, v.asBinary().constData(), size_t(c.storedSize));
            break;
        case JetType::Text:
            var[c.varIndex] =
                fmt().text(v.asText(), QStringLiteral("a value of %1.%2").arg(t.name, c.def.name));
            break;
        case JetType::Binary:
            var[c.varIndex] = v.asBinary();
            break;
        case JetType::Memo:
            var[c.varIndex] = longField(
                fmt().text(v.asText(), QStringLiteral("a value of %1.%2").arg(t.name, c.def.name)),
                longPagers[longSlot]);
            break;
        case JetType::Ole:
            var[c.varIndex] = longField(v.asBinary(), longPagers[longSlot]);
            break;
        }
    }

    const bool jet3 = fmt().jet3;
    QByteArray out;
    if (jet3)
        out.append(char(columns));
    else
        append16(out, quint16(columns));
    out += fixed;
    QList<int> offsets;
    for (const QByteArray &data : var) {
        offsets.append(int(out.size()));
        out += data;
    }
    offsets.append(int(out.size()));
    if (jet3) {
        packJet3Tail(out, offsets, varCount, nullMask, t.name);
    } else {
        // Rows shorter than 16 bytes are padded, as Access leaves room for an
        // overflow pointer.
        const int tail = (varCount ? 2 * int(offsets.size()) + 2 : 0) + int(nullMask.size());
        if (out.size() + tail < 16)
            out.append(QByteArray(16 - tail - int(out.size()), '\0'));
        if (varCount) {
            for (qsizetype i = offsets.size() - 1; i >= 0; --i)
                append16(out, quint16(offsets[i]));
            append16(out, quint16(varCount));
        }
        out += nullMask;
    }
    if (out.size() > fmt().maxRowSize())
        fail(QStringLiteral("table %1: a row of %2 bytes does not fit a page")
                 .arg(t.name)
                 .arg(out.size()));
    return out;
}

QByteArray tableDefinition(const TableLayout &t)
{
    const JetFormat &f = fmt();
    const bool jet3 = f.jet3;
    // Jet 4 inserts a constant word at 12 and widens the header to 63 bytes.
    const int shift = jet3 ? 0 : 20;
    QByteArray d(jet3 ? 43 : 63, '\0');
    d[0] = 0x02;
    d[1] = 0x01;
    if (jet3) {
        d[2] = 'V';
        d[3] = 'C';
    } else {
        put32(d, 12, 1625);
        d[24] = 0x01;
    }
    put32(d, jet3 ? 12 : 16, quint32(t.rows.size()));
    put32(d, jet3 ? 16 : 20, quint32(t.lastAutoNumber));
    d[20 + shift] = char(t.system ? 0x53 : 0x4E);
    int varCount = 0;
    for (const ColumnLayout &c : t.columns)
        varCount += c.varIndex >= 0;
    put16(d, 21 + shift, quint16(t.columns.size()));
    put16(d, 23 + shift, quint16(varCount));
    put16(d, 25 + shift, quint16(t.columns.size()));
    put32(d, 27 + shift, quint32(t.indexes.size()));
    put32(d, 31 + shift, quint32(t.indexes.size()));
    put32(d, 35 + shift, t.ownedMap);
    put32(d, 39 + shift, t.freeMap);
    for (const IndexLayout &ix : t.indexes) {
        append32(d, 0);
        append32(d, ix.keys);
        if (!jet3)
            append32(d, 0);
    }
    for (const ColumnLayout &c : t.columns) {
        const bool text = c.def.type == JetType::Text || c.def.type == JetType::Memo;
        const bool fixedColumn = c.varIndex < 0;
        const char flags = char(0x02 | (fixedColumn ? 0x01 : 0) | (c.def.autoNumber ? 0x04 : 0));
        QByteArray r(jet3 ? 18 : 25, '\0');
        r[0] = char(c.def.type);
        const int at = jet3 ? 1 : 5; // Jet 4 puts the constant 1625 first
        if (!jet3)
            put32(r, 1, 1625);
        put16(r, at, quint16(c.number));
        put16(r, at + 2, quint16(std::max(c.varIndex, 0)));
        put16(r, at + 4, quint16(c.number));
        if (jet3) {
            if (text) {
                put16(r, 9, quint16(f.sortOrder));
                put16(r, 11, f.codePage);
            }
            r[13] = flags;
            put16(r, 14, quint16(c.fixedOffset));
            put16(r, 16, quint16(c.storedSize));
        } else {
            if (text)
                put16(r, 11, 0x0409); // text sort order
            if (c.def.type == JetType::Decimal) {
                r[11] = char(c.def.precision);
                r[12] = char(c.def.scale);
            }
            r[15] = flags;
            put16(r, 21, quint16(c.fixedOffset));
            put16(r, 23, quint16(c.storedSize));
        }
        d += r;
    }
    for (const ColumnLayout &c : t.columns)
        d += f.lengthPrefixed(c.def.name);
    for (const IndexLayout &ix : t.indexes) {
        QByteArray r(jet3 ? 39 : 52, '\0');
        const int at = jet3 ? 0 : 4;
        if (!jet3)
            put32(r, 0, 1923); // the constant Access writes first
        for (int slot = 0; slot < 10; ++slot) {
            const bool used = slot < ix.columns.size();
            put16(r, at + 3 * slot, used ? quint16(ix.columns[slot]) : 0xFFFF);
            r[at + 2 + 3 * slot] = char(used && !ix.descending[slot] ? 1 : 0); // 1 ascending
        }
        put32(r, at + 30, ix.map);
        put32(r, at + 34, ix.root);
        // Jet 4 keeps an unknown word between the root and the flags.
        r[at + (jet3 ? 38 : 42)] = char(ix.flags);
        d += r;
    }
    for (int i = 0; i < t.indexes.size(); ++i) {
        QByteArray r(jet3 ? 20 : 28, '\0');
        const int at = jet3 ? 0 : 4;
        if (!jet3)
            put32(r, 0, 1625);
        put32(r, at, quint32(i));
        put32(r, at + 4, quint32(i));
        put32(r, at + 9, 0xFFFFFFFFu);                         // no related index
        r[at + 19] = char(t.indexes[i].primary ? 0x01 : 0x00); // 1 primary key, 0 other
        d += r;
    }
    for (const IndexLayout &ix : t.indexes)
        d += f.lengthPrefixed(ix.name);
    int longIndex = 0;
    for (const ColumnLayout &c : t.columns) {
        if (!c.isLong())
            continue;
        append16(d, quint16(c.number));
        append32(d, t.longOwned.value(longIndex));
        append32(d, t.longFree.value(longIndex));
        ++longIndex;
    }
    append16(d, 0xFFFF);
    if (d.size() > f.pageSize)
        fail(QStringLiteral("table %1: the definition needs more than one page").arg(t.name));
    if (!jet3)
        put16(d, 2, quint16(f.pageSize - d.size()));
    put32(d, 8, quint32(d.size()));
    d.append(QByteArray(f.pageSize - d.size(), '\0'));
    return d;
}

} // namespace jetw
