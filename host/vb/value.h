#pragma once

// Value is the VB Variant the host hands to the logic: Empty, Null, Boolean,
// Integer (16-bit), Long (32-bit), Single, Double, Currency (a 64-bit count of
// ten-thousandths), Date (an OLE date: days since 1899-12-30, the fraction is
// the time of day), Text (UTF-16, as VB strings are) and Binary (raw bytes).
// Conversions with VB's semantics live in host/vb/vb.h.

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <variant>

class Value
{
public:
    enum class Type {
        Empty,
        Null,
        Boolean,
        Integer,
        Long,
        Single,
        Double,
        Currency,
        Date,
        Text,
        Binary
    };

    Value() = default; // Empty
    Value(const QString &text)
        : m_data(text)
    {
    }
    Value(const char *text)
        : m_data(QString::fromUtf8(text))
    {
    }

    static Value null() { return Value(NullTag{}); }
    static Value boolean(bool b) { return Value(b); }
    static Value integer(qint16 i) { return Value(i); }
    static Value longInt(qint32 l) { return Value(l); }
    static Value single(float f) { return Value(f); }
    static Value dbl(double d) { return Value(d); }
    // A count of ten-thousandths: currency(15000) is 1.5.
    static Value currency(qint64 tenThousandths) { return Value(CurrencyUnits{tenThousandths}); }
    static Value date(double oleDate) { return Value(OleDate{oleDate}); }
    static Value binary(const QByteArray &bytes) { return Value(bytes); }

    Type type() const { return Type(m_data.index()); }
    bool isEmpty() const { return type() == Type::Empty; }
    bool isNull() const { return type() == Type::Null; }
    bool isText() const { return type() == Type::Text; }
    bool isNumeric() const;

    // Direct access to the stored representation; each raises 13 (type
    // mismatch) when the value holds another type.
    bool asBoolean() const;
    qint16 asInteger() const;
    qint32 asLong() const;
    float asSingle() const;
    double asDouble() const;
    qint64 asCurrencyUnits() const;
    double asOleDate() const;
    const QString &asText() const;
    const QByteArray &asBinary() const;

    // The numeric value widened to double, as VB widens in arithmetic:
    // Boolean True is -1, Empty is 0, a date is its OLE number. Null raises 94,
    // text and binary raise 13.
    double toDouble() const;

    // Same type and same stored value (Null equals Null here: this is
    // identity for tests and caches, not VB's three-valued comparison).
    bool operator==(const Value &other) const { return m_data == other.m_data; }

    static const char *typeName(Type type);

private:
    struct NullTag
    {
        bool operator==(const NullTag &) const = default;
    };
    struct CurrencyUnits
    {
        qint64 units;
        bool operator==(const CurrencyUnits &) const = default;
    };
    struct OleDate
    {
        double days;
        bool operator==(const OleDate &) const = default;
    };
    using Data = std::variant<std::monostate, NullTag, bool, qint16, qint32, float, double,
                              CurrencyUnits, OleDate, QString, QByteArray>;

    template <typename T>
    explicit Value(T v)
        : m_data(std::move(v))
    {
    }
    template <typename T> const T &get(Type expected) const;

    Data m_data;
};
