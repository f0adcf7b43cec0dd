#pragma once

// JetSource is the DatabaseSource of a real Jet 3, Jet 4 or ACE file, read
// directly (libmdb for pages and rows, the rest decoded here). Opening reads
// the header and the catalog (MSysObjects); table definitions, query SQL and
// property collections are read on first use.
//
//     Application target(JetSource::opener());
//
// The file is opened read-only and never written.

#include "host/jet/jetoptions.h"
#include "host/source.h"

#include <memory>

class JetFile;
struct JetCatalog;

class JetSource : public DatabaseSource
{
public:
    // Raises 3024 (missing), 3196 (cannot be read), 3343 (not a database),
    // 3049 (damaged) or 31002 (Office-encrypted).
    static std::shared_ptr<JetSource> open(const QString &path,
                                           const JetOptions &options = JetOptions());
    static SourceOpener opener(const JetOptions &options = JetOptions());

    DatabaseSummary summary() override;
    QList<TableDef> tableDefs() override;
    QList<QueryDef> queryDefs() override;
    QList<Container> containers() override;

    // The underlying file, for readers of table rows (JetTableReader).
    const std::shared_ptr<JetFile> &file() const { return m_file; }

private:
    JetSource() = default;

    std::shared_ptr<JetFile> m_file;
    std::shared_ptr<JetCatalog> m_catalog;
};
