// libFuzzer target for the Jet writer's description path: each input is a
// JSON description, parsed and written as quillmark-mkdb would. A refusal
// (HostError) is fine; a crash, a sanitizer report, or a written file that
// our reader cannot open or whose row counts differ is a bug.

#include "host/jet/jetsource.h"
#include "host/jet/write/jetwriter.h"
#include "host/jet/write/jetwriterdesc.h"
#include "host/vb/errors.h"

#include <QByteArray>
#include <QDir>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = QStringLiteral("/tmp/mkdb_fuzz_%1.mdb").arg(qint64(getpid()));
    JetWriterDatabase db;
    try {
        // No CSV files are beside a fuzzed description: a "csv" entry is refused.
        db = parseJetDescription(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)),
                                 QDir::tempPath() + QStringLiteral("/mkdb_fuzz_none"));
        writeJetDatabase(db, path);
    } catch (const HostError &) {
        return 0;
    }
    try {
        const std::shared_ptr<JetSource> source = JetSource::open(path);
        for (const JetWriterTable &t : db.tables) {
            JetTableReader rows = source->readTable(t.name);
            qsizetype count = 0;
            while (rows.next())
                ++count;
            if (count != t.rows.size()) {
                std::fprintf(stderr, "table %s: %lld rows written, %lld read\n", qPrintable(t.name),
                             static_cast<long long>(t.rows.size()), static_cast<long long>(count));
                std::abort();
            }
        }
    } catch (const HostError &e) {
        std::fprintf(stderr, "written file not readable: %d %s\n", e.code(), e.what());
        std::abort();
    }
    return 0;
}
