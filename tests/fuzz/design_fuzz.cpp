// libFuzzer target for the stored design stream: each input is parsed as a
// Blob, merged with itself as its BlobDelta, and built into a form or
// report in both string encodings. Only success and HostError are
// acceptable outcomes; anything else is a bug.

#include "host/design/designstream.h"
#include "host/design/designstreambuilder.h"
#include "host/vb/errors.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        DesignStream stream = parseDesignStream(bytes, QStringLiteral("form Fuzz"));
        const DesignStream delta = stream;
        mergeDesignDelta(stream.root, delta.root);
        const AccessObject object = buildStoredDesign(
            stream, QStringLiteral("Fuzz"), QStringLiteral("form Fuzz"), QStringLiteral("CP1252"));
        // Reading what was built must not fail either.
        for (const Control &control : object.controls)
            (void)control.Properties().item(0).Value();
    } catch (const HostError &) {
    }
    return 0;
}
