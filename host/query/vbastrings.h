#pragma once

// VBA string functions queries call that host/vb/vb.h does not have.
// Positions count UTF-16 code units from 1, as vb.h does.

#include <QString>
#include <QStringView>

namespace vbstrings {

// StrConv(s, conversion): bits 1 upper, 2 lower, 3 proper case, 4 wide,
// 8 narrow, 16 katakana, 32 hiragana. Wide turns ASCII and half-width
// katakana into full width (ｶﾞ becomes ガ), narrow the reverse (ガ becomes
// ｶﾞ). Other values raise 5.
QString StrConv(QStringView s, int conversion);
QString LCase(QStringView s);
// Replace(expression, find, replacement, start, count): the result begins at
// start, as VBA's does; count -1 replaces all. Text compares case-insensitively.
QString Replace(QStringView s, QStringView find, QStringView replacement, qint64 start = 1,
                qint64 count = -1, bool textCompare = true);
qint64 InStrRev(QStringView s, QStringView find, qint64 start = -1, bool textCompare = true);
QString StrReverse(QStringView s);
// Val: the leading number of the text, spaces ignored, &H and &O prefixes,
// 0 when there is none.
double Val(QStringView s);

} // namespace vbstrings
