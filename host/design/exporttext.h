#pragma once

// Decoding of Access text exports: what Access (or an add-in that re-encoded
// its output) writes is UTF-16 LE with a byte-order mark, UTF-8 with or
// without one, or the 8-bit ANSI code page of the exporting system. Line
// ends are CRLF or LF.

#include <QByteArray>
#include <QString>
#include <QStringList>

// The 8-bit code page used when a file has no byte-order mark and is not
// valid UTF-8: CP1252 by default, CP932 for Japanese exports.
inline constexpr const char *DefaultExportCodePage = "CP1252";

// Decodes the bytes of an export. `codePage` is an iconv name ("CP1252",
// "CP932"). Raises 31001 naming `file` when the bytes are not text in the
// detected encoding (a UTF-16 file of odd length, bytes the code page lacks)
// or the code page is unknown.
QString decodeExportText(const QByteArray &bytes, const QString &file,
                         const char *codePage = DefaultExportCodePage);

// The lines of a decoded text, CR before LF removed; a final line end does
// not start another line.
QStringList exportLines(const QString &text);
