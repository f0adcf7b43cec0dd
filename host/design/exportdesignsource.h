#pragma once

// The designs of one database read from its text exports in a folder
// (exportfolder.h): each form and report is parsed and built the first time
// it is asked for and kept, since a harvest may ask twice.

#include "host/design/exportfolder.h"
#include "host/design/exporttext.h"
#include "host/objects/access.h"

#include <QByteArray>
#include <QHash>

class ExportDesignSource : public DesignSource
{
public:
    // `codePage` decodes 8-bit files (CP1252, CP932 for Japanese exports).
    explicit ExportDesignSource(QString folder, QByteArray codePage = DefaultExportCodePage);

    // A design not found raises 31001 naming the object and every place
    // looked in; a damaged or undecodable file raises 31001 naming the file
    // (and the line).
    Form form(const QString &name) override;
    Report report(const QString &name) override;

    const ExportFolder &folder() const { return m_folder; }

private:
    AccessObject load(ExportObjectKind kind, const QString &name);

    ExportFolder m_folder;
    QByteArray m_codePage;
    QHash<QString, AccessObject> m_forms;
    QHash<QString, AccessObject> m_reports;
};

// Reads and decodes one export file; raises 31001 naming it when it cannot
// be read or decoded.
QString readExportFile(const QString &path, const char *codePage);
