#pragma once

// JetModuleSource reads the VBA project stored in a database file itself:
// MSysAccessStorage (Access 2002+ .mdb, .accdb), else MSysAccessObjects
// (Access 2000 format, a compound file cut into rows), else MSysModules2
// (Access 97, one row per module). A Jet 3 file that has both of the last
// two is read from MSysModules2, the copy Access 97 itself keeps. A file
// with none of them has no modules.

#include "host/jet/jetoptions.h"
#include "host/objects/modulesource.h"

class JetSource;

class JetModuleSource : public ModuleSource
{
public:
    // Opens the file (raising as JetSource::open does); the project is read
    // on the first modules() call and kept.
    JetModuleSource(const QString &path, const JetOptions &options = JetOptions());
    static ModuleSourceOpener opener(const JetOptions &options = JetOptions());

    QList<ModuleText> modules() override;

    // After modules(): which table held the project ("" for none) and the
    // project's code page.
    const QString &storage() const { return m_storage; }
    quint16 codePage() const { return m_codePage; }

private:
    void read();

    QString m_path;
    JetOptions m_options;
    std::shared_ptr<JetSource> m_source;
    bool m_read = false;
    QList<ModuleText> m_modules;
    QString m_storage;
    quint16 m_codePage = 0;
};
