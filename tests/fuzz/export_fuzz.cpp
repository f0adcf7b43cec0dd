// libFuzzer target for the text-export parser: each input is decoded (in
// both default code pages) and parsed. Only success and HostError are
// acceptable outcomes; anything else is a bug.

#include "host/design/exportparser.h"
#include "host/vb/errors.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const char *codePage : {"CP1252", "CP932"}) {
        try {
            parseExportBytes(bytes, QStringLiteral("fuzz.txt"), codePage);
        } catch (const HostError &) {
        }
    }
    return 0;
}
