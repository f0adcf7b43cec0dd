// libFuzzer target for the Jet reader: each input is written to a file,
// opened with JetSource and walked whole (summary, tables with their details
// and rows, queries with SQL and fields, containers and document properties,
// the VBA project), then put through the integrity check (the page account,
// its report and the mended free-page map a repair would write). Only
// success and HostError are acceptable outcomes; anything else (a crash, a
// sanitizer report, another exception) is a bug.

#include "host/jet/jetsource.h"
#include "host/jet/vbasource.h"
#include "host/vb/errors.h"
#include "host/vb/skippeddamage.h"
#include "maintenance/integritycheck.h"
#include "maintenance/pageaccount.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <unistd.h>

namespace {

// Rows read per table; enough to reach every page of a fuzzed file while
// keeping one input from running for minutes.
constexpr int maxRowsPerTable = 20000;

const QString &inputPath()
{
    static const QString path = QStringLiteral("/tmp/jet_fuzz_%1.mdb").arg(qint64(getpid()));
    return path;
}

bool writeInput(const uint8_t *data, size_t size)
{
    FILE *f = std::fopen(QFile::encodeName(inputPath()).constData(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

void touch(const Properties &props)
{
    for (const Property &p : props.items())
        (void)p.value.type();
}

void walkSource(JetSource &source)
{
    touch(source.summary().properties);
    for (const TableDef &t : source.tableDefs()) {
        try {
            (void)t.RecordCount();
            touch(t.Properties());
            for (const Field &f : t.Fields())
                touch(f.Properties());
            for (const Index &i : t.Indexes())
                (void)i.Fields.size();
        } catch (const HostError &) {
        }
        try {
            JetTableReader reader = source.readTable(t.Name);
            for (int n = 0; n < maxRowsPerTable && reader.next(); ++n)
                (void)reader.row();
        } catch (const HostError &) {
        }
    }
    for (const QueryDef &q : source.queryDefs()) {
        try {
            (void)q.SQL();
            for (const Field &f : q.Fields())
                touch(f.Properties());
            touch(q.Properties());
        } catch (const HostError &) {
        }
    }
    for (const Container &c : source.containers())
        for (const Document &d : c.Documents) {
            try {
                touch(d.Properties());
            } catch (const HostError &) {
            }
        }
}

// What RepairDatabase does before it writes anything.
void checkAndMend(const QString &path)
{
    const PageAccount account = PageAccount::read(path);
    const IntegrityReport report = checkIntegrity(account);
    if (!report.repairable.isEmpty())
        (void)pagesWithMendedFreeMap(account);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (!writeInput(data, size))
        return 0;
    try {
        const std::shared_ptr<JetSource> source = JetSource::open(inputPath());
        walkSource(*source);
    } catch (const HostError &) {
    }
    try {
        JetModuleSource modules(inputPath());
        for (const ModuleText &m : modules.modules())
            (void)m.source.size();
    } catch (const HostError &) {
    }
    try {
        checkAndMend(inputPath());
    } catch (const HostError &) {
    }
    (void)takeSkippedDamage(); // each input starts with no notes of the last
    return 0;
}
