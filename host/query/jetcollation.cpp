#include "host/query/jetcollation.h"

#include <QString>
#include <sqlite3.h>

namespace {

int collate(void *, int lengthA, const void *a, int lengthB, const void *b)
{
    const auto *pa = static_cast<const unsigned char *>(a);
    const auto *pb = static_cast<const unsigned char *>(b);
    // ASCII needs no decoding; most keys are ASCII.
    const int common = std::min(lengthA, lengthB);
    for (int i = 0; i < common; ++i) {
        unsigned char ca = pa[i], cb = pb[i];
        if ((ca | cb) & 0x80)
            return compareJetText(QString::fromUtf8(reinterpret_cast<const char *>(pa), lengthA),
                                  QString::fromUtf8(reinterpret_cast<const char *>(pb), lengthB));
        if (ca >= 'A' && ca <= 'Z')
            ca += 32;
        if (cb >= 'A' && cb <= 'Z')
            cb += 32;
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return lengthA == lengthB ? 0 : (lengthA < lengthB ? -1 : 1);
}

} // namespace

int compareJetText(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive);
}

void registerJetCollation(sqlite3 *db)
{
    sqlite3_create_collation(db, "JET", SQLITE_UTF8, nullptr, collate);
}
