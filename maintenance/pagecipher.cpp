#include "maintenance/pagecipher.h"

#include <QtEndian>

void cryptPage(QByteArray &page, quint32 databaseKey, quint32 pageNumber)
{
    if (databaseKey == 0 || pageNumber == 0)
        return;
    uchar key[4];
    qToLittleEndian(databaseKey ^ pageNumber, key);
    uchar s[256];
    for (int i = 0; i < 256; ++i)
        s[i] = uchar(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % 4]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    auto *data = reinterpret_cast<uchar *>(page.data());
    for (qsizetype n = 0, i = 0, j = 0; n < page.size(); ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        data[n] ^= s[(s[i] + s[j]) & 0xFF];
    }
}
