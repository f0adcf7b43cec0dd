#include "host/query/vbafunctions.h"

#include "host/query/sqlitedb.h"
#include "host/query/sqlitefunctions.h"
#include "host/query/vbadates.h"
#include "host/query/vbaformat.h"
#include "host/query/vbastrings.h"
#include "host/vb/vb.h"

#include <cmath>
#include <sqlite3.h>

namespace {

QString text(const Value &v)
{
    return vb::CStr(v);
}
qint64 whole(const Value &v)
{
    return vb::CLng(v);
}
double number(const Value &v)
{
    return vb::CDbl(v);
}
double date(const Value &v)
{
    return vbdates::CDate(v);
}
Value longValue(qint64 n)
{
    if (n >= std::numeric_limits<qint32>::min() && n <= std::numeric_limits<qint32>::max())
        return Value::longInt(qint32(n));
    return Value::dbl(double(n));
}
Value textValue(const QString &s)
{
    return Value(s);
}
int optionalInt(const QList<Value> &a, int i, int fallback)
{
    return i < a.size() && !a[i].isNull() ? int(whole(a[i])) : fallback;
}
bool textCompare(const QList<Value> &a, int i)
{
    return optionalInt(a, i, 1) != 0; // queries compare as the database does: text
}

// Int and Fix keep the argument's type; Currency stays exact.
Value roundedLike(const Value &v, double r)
{
    switch (v.type()) {
    case Value::Type::Integer:
    case Value::Type::Long:
    case Value::Type::Boolean:
        return v;
    case Value::Type::Currency:
        return Value::currency(qint64(r) * 10000);
    case Value::Type::Single:
        return Value::single(float(r));
    case Value::Type::Date:
        return Value::date(r);
    default:
        return Value::dbl(r);
    }
}

Value vbRound(const QList<Value> &a)
{
    const int digits = optionalInt(a, 1, 0);
    if (digits < 0)
        throw HostError::invalidCall(QStringLiteral("Round"));
    const double scale = std::pow(10.0, digits);
    const double x = number(a[0]);
    // Scale through text so that 2.675 rounds as the decimal it shows.
    const double scaled = QString::number(x * scale, 'g', 15).toDouble();
    const double r = vb::roundHalfEven(scaled) / scale;
    if (a[0].type() == Value::Type::Currency)
        return Value::currency(qint64(vb::roundHalfEven(r * 10000.0)));
    if (digits == 0 && (a[0].type() == Value::Type::Integer || a[0].type() == Value::Type::Long))
        return a[0];
    return Value::dbl(r);
}

Value vbMid(const QList<Value> &a)
{
    if (a.size() > 2)
        return textValue(vb::Mid(text(a[0]), whole(a[1]), whole(a[2])));
    return textValue(vb::Mid(text(a[0]), whole(a[1])));
}

Value vbInStr(const QList<Value> &a)
{
    // InStr(s1, s2) or InStr(start, s1, s2[, compare])
    if (a.size() == 2) {
        if (a[0].isNull() || a[1].isNull())
            return Value::null();
        return longValue(vb::InStr(text(a[0]), text(a[1]), vb::Compare::Text));
    }
    if (a[1].isNull() || a[2].isNull())
        return Value::null();
    const vb::Compare compare = textCompare(a, 3) ? vb::Compare::Text : vb::Compare::Binary;
    return longValue(vb::InStr(whole(a[0]), text(a[1]), text(a[2]), compare));
}

Value vbReplace(const QList<Value> &a)
{
    return textValue(vbstrings::Replace(text(a[0]), text(a[1]), text(a[2]), optionalInt(a, 3, 1),
                                        optionalInt(a, 4, -1), textCompare(a, 5)));
}

Value vbFormat(const QList<Value> &a)
{
    return textValue(formatValue(a[0], a.size() > 1 && !a[1].isNull() ? text(a[1]) : QString()));
}

Value vbDatePart(const QList<Value> &a)
{
    return longValue(
        vbdates::DatePart(text(a[0]), date(a[1]), optionalInt(a, 2, 1), optionalInt(a, 3, 1)));
}

Value vbDateDiff(const QList<Value> &a)
{
    return longValue(vbdates::DateDiff(text(a[0]), date(a[1]), date(a[2]), optionalInt(a, 3, 1)));
}

Value vbString(const QList<Value> &a)
{
    const qint64 n = whole(a[0]);
    if (n < 0)
        throw HostError::invalidCall(QStringLiteral("String"));
    const QChar c = a[1].isText() ? (a[1].asText().isEmpty() ? QChar() : a[1].asText().front())
                                  : QChar(char16_t(whole(a[1]) & 0xFFFF));
    if (a[1].isText() && a[1].asText().isEmpty())
        throw HostError::invalidCall(QStringLiteral("String"));
    return textValue(QString(qsizetype(n), c));
}

Value vbChr(const QList<Value> &a)
{
    const qint64 code = whole(a[0]);
    if (code < -32768 || code > 65535)
        throw HostError::invalidCall(QStringLiteral("Chr"));
    return textValue(QString(QChar(char16_t(code & 0xFFFF))));
}

Value vbAsc(const QList<Value> &a)
{
    const QString s = text(a[0]);
    if (s.isEmpty())
        throw HostError::invalidCall(QStringLiteral("Asc"));
    return longValue(s[0].unicode());
}

Value vbVal(const QList<Value> &a)
{
    return Value::dbl(vbstrings::Val(text(a[0])));
}

Value vbIsNumeric(const QList<Value> &a)
{
    if (a[0].isNull())
        return Value::boolean(false);
    if (a[0].isNumeric())
        return Value::boolean(true);
    if (!a[0].isText())
        return Value::boolean(false);
    bool ok = false;
    a[0].asText().trimmed().toDouble(&ok);
    return Value::boolean(ok);
}

Value vbIsDate(const QList<Value> &a)
{
    if (a[0].type() == Value::Type::Date)
        return Value::boolean(true);
    return Value::boolean(a[0].isText() && vbdates::parseDateText(a[0].asText()).has_value());
}

Value vbCBool(const QList<Value> &a)
{
    if (a[0].isText()) {
        const QString t = a[0].asText().trimmed();
        if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return Value::boolean(true);
        if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return Value::boolean(false);
    }
    return Value::boolean(number(a[0]) != 0);
}

Value vbSgn(const QList<Value> &a)
{
    const double x = number(a[0]);
    return Value::integer(qint16(x > 0 ? 1 : (x < 0 ? -1 : 0)));
}

Value vbAbs(const QList<Value> &a)
{
    if (a[0].type() == Value::Type::Currency)
        return Value::currency(std::llabs(a[0].asCurrencyUnits()));
    return roundedLike(a[0], std::fabs(number(a[0])));
}

Value vbSqr(const QList<Value> &a)
{
    const double x = number(a[0]);
    if (x < 0)
        throw HostError::invalidCall(QStringLiteral("Sqr"));
    return Value::dbl(std::sqrt(x));
}

Value vbLog(const QList<Value> &a)
{
    const double x = number(a[0]);
    if (x <= 0)
        throw HostError::invalidCall(QStringLiteral("Log"));
    return Value::dbl(std::log(x));
}

Value dateValue(double ole)
{
    return Value::date(ole);
}

const VbaFunction functions[] = {
    // name, min, max, result, sameAs, nullArgs, deterministic, call
    {"Left", 2, 2, QType::Text, -1, 1, true,
     [](const QList<Value> &a) { return textValue(vb::Left(text(a[0]), whole(a[1]))); }},
    {"Right", 2, 2, QType::Text, -1, 1, true,
     [](const QList<Value> &a) { return textValue(vb::Right(text(a[0]), whole(a[1]))); }},
    {"Mid", 2, 3, QType::Text, -1, 1, true, vbMid},
    {"Len", 1, 1, QType::Long, -1, 1, true,
     [](const QList<Value> &a) { return longValue(text(a[0]).size()); }},
    {"InStr", 2, 4, QType::Long, -1, 0, true, vbInStr},
    {"InStrRev", 2, 4, QType::Long, -1, 3, true,
     [](const QList<Value> &a) {
         return longValue(vbstrings::InStrRev(text(a[0]), text(a[1]), optionalInt(a, 2, -1),
                                              textCompare(a, 3)));
     }},
    {"Trim", 1, 1, QType::Text, -1, 1, true,
     [](const QList<Value> &a) { return textValue(vb::Trim(text(a[0]))); }},
    {"LTrim", 1, 1, QType::Text, -1, 1, true,
     [](const QList<Value> &a) { return textValue(vb::LTrim(text(a[0]))); }},
    {"RTrim", 1, 1, QType::Text, -1, 1, true,
     [](const QList<Value> &a) { return textValue(vb::RTrim(text(a[0]))); }},
    {"UCase", 1, 1, QType::Text, -1, 1, true,
     [](const QList<Value> &a) { return textValue(vb::UCase(text(a[0]))); }},
    {"LCase", 1, 1, QType::Text, -1, 1, true,
     [](const QList<Value> &a) { return textValue(vbstrings::LCase(text(a[0]))); }},
    {"Replace", 3, 6, QType::Text, -1, 1, true, vbReplace},
    {"StrConv", 2, 3, QType::Text, -1, 1, true,
     [](const QList<Value> &a) {
         return textValue(vbstrings::StrConv(text(a[0]), int(whole(a[1]))));
     }},
    {"StrReverse", 1, 1, QType::Text, -1, 0, true,
     [](const QList<Value> &a) { return textValue(vbstrings::StrReverse(text(a[0]))); }},
    {"Space", 1, 1, QType::Text, -1, 0, true,
     [](const QList<Value> &a) {
         const qint64 n = whole(a[0]);
         if (n < 0)
             throw HostError::invalidCall(QStringLiteral("Space"));
         return textValue(QString(qsizetype(n), u' '));
     }},
    {"String", 2, 2, QType::Text, -1, 0, true, vbString},
    {"Chr", 1, 1, QType::Text, -1, 0, true, vbChr},
    {"ChrW", 1, 1, QType::Text, -1, 0, true, vbChr},
    {"Asc", 1, 1, QType::Long, -1, 0, true, vbAsc},
    {"AscW", 1, 1, QType::Long, -1, 0, true, vbAsc},
    {"Format", 1, 4, QType::Text, -1, 0, true, vbFormat},
    {"Str", 1, 1, QType::Text, -1, 1, true,
     [](const QList<Value> &a) {
         const QString s = vb::CStr(Value::dbl(number(a[0])));
         return textValue(s.startsWith(u'-') ? s : QLatin1Char(' ') + s);
     }},
    {"Val", 1, 1, QType::Double, -1, 0, true, vbVal},
    {"Hex", 1, 1, QType::Text, -1, 1, true,
     [](const QList<Value> &a) {
         return textValue(QString::number(quint32(qint32(whole(a[0]))), 16).toUpper());
     }},
    {"CStr", 1, 1, QType::Text, -1, 0, true, [](const QList<Value> &a) { return textValue(text(a[0])); }},
    {"CLng", 1, 1, QType::Long, -1, 0, true,
     [](const QList<Value> &a) { return Value::longInt(vb::CLng(a[0])); }},
    {"CInt", 1, 1, QType::Integer, -1, 0, true,
     [](const QList<Value> &a) { return Value::integer(vb::CInt(a[0])); }},
    {"CByte", 1, 1, QType::Integer, -1, 0, true,
     [](const QList<Value> &a) {
         const qint16 i = vb::CInt(a[0]);
         if (i < 0 || i > 255)
             throw HostError::overflow(QStringLiteral("CByte"));
         return Value::integer(i);
     }},
    {"CDbl", 1, 1, QType::Double, -1, 0, true,
     [](const QList<Value> &a) { return Value::dbl(vb::CDbl(a[0])); }},
    {"CSng", 1, 1, QType::Single, -1, 0, true,
     [](const QList<Value> &a) { return Value::single(float(vb::CDbl(a[0]))); }},
    {"CCur", 1, 1, QType::Currency, -1, 0, true,
     [](const QList<Value> &a) { return Value::currency(vb::CCur(a[0])); }},
    {"CDate", 1, 1, QType::Date, -1, 0, true,
     [](const QList<Value> &a) { return dateValue(vbdates::CDate(a[0])); }},
    {"CVDate", 1, 1, QType::Date, -1, 1, true,
     [](const QList<Value> &a) { return dateValue(vbdates::CDate(a[0])); }},
    {"CBool", 1, 1, QType::Boolean, -1, 0, true, vbCBool},
    {"CVar", 1, 1, QType::Unknown, 0, 0, true, [](const QList<Value> &a) { return a[0]; }},
    {"IsNumeric", 1, 1, QType::Boolean, -1, 0, true, vbIsNumeric},
    {"IsDate", 1, 1, QType::Boolean, -1, 0, true, vbIsDate},
    {"IsEmpty", 1, 1, QType::Boolean, -1, 0, true,
     [](const QList<Value> &a) { return Value::boolean(a[0].isEmpty()); }},
    {"Int", 1, 1, QType::Unknown, 0, 1, true,
     [](const QList<Value> &a) { return roundedLike(a[0], std::floor(number(a[0]))); }},
    {"Fix", 1, 1, QType::Unknown, 0, 1, true,
     [](const QList<Value> &a) { return roundedLike(a[0], std::trunc(number(a[0]))); }},
    {"Abs", 1, 1, QType::Unknown, 0, 1, true, vbAbs},
    {"Sgn", 1, 1, QType::Integer, -1, 1, true, vbSgn},
    {"Round", 1, 2, QType::Unknown, 0, 1, true, vbRound},
    {"Sqr", 1, 1, QType::Double, -1, 1, true, vbSqr},
    {"Exp", 1, 1, QType::Double, -1, 1, true,
     [](const QList<Value> &a) { return Value::dbl(std::exp(number(a[0]))); }},
    {"Log", 1, 1, QType::Double, -1, 1, true, vbLog},
    {"Year", 1, 1, QType::Integer, -1, 1, true,
     [](const QList<Value> &a) { return Value::integer(qint16(vbdates::dateOf(date(a[0])).year())); }},
    {"Month", 1, 1, QType::Integer, -1, 1, true,
     [](const QList<Value> &a) { return Value::integer(qint16(vbdates::dateOf(date(a[0])).month())); }},
    {"Day", 1, 1, QType::Integer, -1, 1, true,
     [](const QList<Value> &a) { return Value::integer(qint16(vbdates::dateOf(date(a[0])).day())); }},
    {"Hour", 1, 1, QType::Integer, -1, 1, true,
     [](const QList<Value> &a) { return Value::integer(qint16(vbdates::secondsOf(date(a[0])) / 3600)); }},
    {"Minute", 1, 1, QType::Integer, -1, 1, true,
     [](const QList<Value> &a) {
         return Value::integer(qint16(vbdates::secondsOf(date(a[0])) / 60 % 60));
     }},
    {"Second", 1, 1, QType::Integer, -1, 1, true,
     [](const QList<Value> &a) { return Value::integer(qint16(vbdates::secondsOf(date(a[0])) % 60)); }},
    {"Weekday", 1, 2, QType::Integer, -1, 1, true,
     [](const QList<Value> &a) {
         return Value::integer(qint16(vbdates::Weekday(date(a[0]), optionalInt(a, 1, 1))));
     }},
    {"DatePart", 2, 4, QType::Long, -1, 2, true, vbDatePart},
    {"DateAdd", 3, 3, QType::Date, -1, 4, true,
     [](const QList<Value> &a) {
         return dateValue(vbdates::DateAdd(text(a[0]), number(a[1]), date(a[2])));
     }},
    {"DateDiff", 3, 5, QType::Long, -1, 6, true, vbDateDiff},
    {"DateSerial", 3, 3, QType::Date, -1, 0, true,
     [](const QList<Value> &a) {
         return dateValue(vbdates::DateSerial(whole(a[0]), whole(a[1]), whole(a[2])));
     }},
    {"TimeSerial", 3, 3, QType::Date, -1, 0, true,
     [](const QList<Value> &a) {
         return dateValue(vbdates::TimeSerial(whole(a[0]), whole(a[1]), whole(a[2])));
     }},
    {"DateValue", 1, 1, QType::Date, -1, 1, true,
     [](const QList<Value> &a) { return dateValue(std::trunc(vbdates::CDate(a[0]))); }},
    {"TimeValue", 1, 1, QType::Date, -1, 1, true,
     [](const QList<Value> &a) {
         const double d = vbdates::CDate(a[0]);
         return dateValue(std::fabs(d - std::trunc(d)));
     }},
    {"Date", 0, 0, QType::Date, -1, 0, false,
     [](const QList<Value> &) { return dateValue(std::trunc(vbdates::now())); }},
    {"Now", 0, 0, QType::Date, -1, 0, false,
     [](const QList<Value> &) { return dateValue(vbdates::now()); }},
    {"Time", 0, 0, QType::Date, -1, 0, false,
     [](const QList<Value> &) {
         const double d = vbdates::now();
         return dateValue(d - std::trunc(d));
     }},
};

void callFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    guardedCall(context, [&] {
        const auto *f = static_cast<const VbaFunction *>(sqlite3_user_data(context));
        const QList<Value> args = argumentsOf(argc, argv);
        for (int i = 0; i < argc; ++i) {
            if ((f->nullArgs & (1u << i)) && args[i].isNull()) {
                sqlite3_result_null(context);
                return;
            }
        }
        sqliteResult(context, f->call(args));
    });
}

} // namespace

const VbaFunction *findVbaFunction(QStringView name)
{
    for (const VbaFunction &f : functions) {
        if (name.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0)
            return &f;
    }
    return nullptr;
}

bool isAggregateFunction(QStringView name)
{
    for (const char *a :
         {"sum", "avg", "count", "min", "max", "first", "last", "stdev", "stdevp", "var", "varp"}) {
        if (name.compare(QLatin1String(a), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

void registerVbaFunctions(SqliteDb &db)
{
    sqlite3 *h = db.handle();
    for (const VbaFunction &f : functions) {
        const QByteArray name = "vb_" + QByteArray(f.name).toLower();
        const int flags = SQLITE_UTF8 | (f.deterministic ? SQLITE_DETERMINISTIC : 0);
        sqlite3_create_function_v2(h, name.constData(), -1, flags, const_cast<VbaFunction *>(&f),
                                   callFunction, nullptr, nullptr, nullptr);
    }
    registerVbaOperators(h);
    registerVbaAggregates(h);
}
