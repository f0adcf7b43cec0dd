#pragma once

// The designs of one database from both readers: an object whose text
// export is in the folder is read from there (the user named the folder to
// be used), every other one is decoded from the file itself.

#include "host/design/exportdesignsource.h"
#include "host/design/storeddesignsource.h"

#include <memory>

class LayeredDesignSource : public DesignSource
{
public:
    // Nothing is opened yet: the file on the first design without an export.
    LayeredDesignSource(QString databasePath, QString exportFolder, QByteArray exportCodePage,
                        JetOptions options = JetOptions());

    // The export's design where the folder has one (its errors as
    // ExportDesignSource raises them); else the file's. When the file has no
    // readable design either, raises 31001 naming the object, what the file
    // said and the folders looked in.
    Form form(const QString &name) override;
    Report report(const QString &name) override;

private:
    AccessObject load(ExportObjectKind kind, const QString &name);

    QString m_path;
    JetOptions m_options;
    ExportDesignSource m_exports;
    std::unique_ptr<StoredDesignSource> m_stored;
};
