#pragma once

// Text index keys under the General sort order (jetindextext.cpp), for the
// key encoder (jetindexkey.h).

#include <QByteArray>
#include <QString>

namespace jetw {

// Appends the key bytes of a Text value, without the leading flag byte;
// Jet 3 text is in codePage. Returns false, leaving `key` as it was, when
// the collation tables do not cover the character at *bad.
bool textIndexKey(const QString &text, bool descending, bool jet3, quint16 codePage,
                  QByteArray &key, qsizetype *bad);

} // namespace jetw
