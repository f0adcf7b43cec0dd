#pragma once

// The type the translator knows an expression to have, so that values
// keep their Variant type across SQLite, which holds only integers, reals,
// text and blobs: a Date is a REAL OLE date, Currency a REAL amount (see
// host/query/README.md), Boolean an INTEGER -1 or 0. Unknown means the
// result is taken as SQLite hands it back.

#include <QString>
#include <QtGlobal>

enum class QType { Unknown, Boolean, Integer, Long, Single, Double, Currency, Date, Text, Binary };

// The type of a table or query field of DAO type `daoType`.
QType typeOfDao(qint16 daoType);
// The type of a PARAMETERS declaration ("DateTime", "Text", "Long", ...);
// Unknown for an untyped or unknown declaration.
QType typeOfDeclaration(const QString &declared);

inline bool isNumericType(QType t)
{
    return t == QType::Boolean || t == QType::Integer || t == QType::Long || t == QType::Single ||
           t == QType::Double || t == QType::Currency;
}
// The type of a + b, a - b, a * b over two numeric types, as VBA widens.
QType widerNumeric(QType a, QType b);
