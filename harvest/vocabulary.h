#pragma once

// The look-ups that turn host codes and English words into the words of the
// documentation, and RoundOff. All are pure functions. A look-up compares its
// input text with each key, in table order, exactly and case-sensitively;
// the first equal key gives the word, none gives "?" ("System" for
// QueryTypeName). Callers pass values as text (CStr): 101, True, ...

#include <QString>
#include <QStringView>

QString ControlTypeName(QStringView code);
QString EventLabel(QStringView propertyName);
QString LineStyleName(QStringView code);
QString IMEModeName(QStringView code);
QString RowSourceTypeName(QStringView typeText);
QString OLETypeName(QStringView code);
QString SizeModeName(QStringView code);
QString YesNoName(QStringView booleanText);
QString FieldTypeName(QStringView code);
QString QueryTypeName(QStringView code);

// Rounds half up (towards +infinity at the exact half) to `places` decimal
// places, in double precision; negative places round to tens, hundreds, ...
// The value is a currency amount: a count of ten-thousandths.
double RoundOff(qint64 tenThousandths, qint16 places);
