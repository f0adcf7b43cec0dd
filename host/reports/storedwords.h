#pragma once

// Readable words for the host values a harvester stores "as returned": form,
// report and group-level settings keep Access's codes and Booleans, and a
// Boolean kept that way reads back as the text "True" or "False" (or as -1/0
// when it came as a number), which displayText's Boolean form does not know.

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

// "はい"/"いいえ" for a stored Boolean ("True"/"False" in any case, or a
// number: non-zero is True); blank for Null; any other text as stored.
QString yesNoText(const QVariant &value);

// `yes` or `no` for a stored Boolean as yesNoText reads it; blank for Null,
// any other text as stored.
QString booleanText(const QVariant &value, const QString &yes, const QString &no);

using CodeWords = QList<QPair<int, QString>>;

// A stored code with its word, e.g. "帳票フォーム (1)"; a code that `words`
// lacks, or a value that is no whole number, as stored; blank for Null.
QString codeText(const QVariant &value, const CodeWords &words);

// RecordLocks of a form or report: 0 "しない", 1 "すべてのレコード",
// 2 "編集済みレコード".
const CodeWords &recordLocksWords();
