// libFuzzer target for the text-export parser and the design builder: each
// input is decoded (in both default code pages) and parsed, and what parses
// is built into a form or report. Only success and HostError are acceptable
// outcomes; anything else is a bug.

#include "host/design/designbuilder.h"
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
            const ParsedExport file = parseExportBytes(bytes, QStringLiteral("fuzz.txt"), codePage);
            const AccessObject object = buildDesign(file, QStringLiteral("Fuzz"));
            // Reading what was built must not fail either.
            for (const Control &control : object.controls)
                (void)control.Properties().item(0).Value();
        } catch (const HostError &) {
        }
    }
    return 0;
}
