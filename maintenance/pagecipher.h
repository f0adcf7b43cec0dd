#pragma once

// The RC4 page cipher of Jet 3/4 files that carry a database key: every page
// but page 0 is encrypted under the 4 little-endian bytes of (key XOR page
// number), so a page that moves is decrypted with its old number and
// encrypted with its new one.

#include <QByteArray>
#include <QtGlobal>

// Encrypts or decrypts (RC4 is its own inverse) one page in place.
void cryptPage(QByteArray &page, quint32 databaseKey, quint32 pageNumber);
