#pragma once

// The modules of a database with their text taken from its exports where the
// folder has them: module NAME from modules/NAME.bas or .cls (or Module/),
// a form's or report's module (Form_NAME, Report_NAME) from the text after
// CodeBehindForm in its export. The list itself, its order and the kinds are
// the database's own: a module the database lacks is not added. The text is
// the export's as written, Attribute lines included where it has them.

#include "host/design/exportfolder.h"
#include "host/design/exporttext.h"
#include "host/objects/modulesource.h"

#include <QByteArray>
#include <memory>

class ExportModules : public ModuleSource
{
public:
    // `database` may be null: the database's modules cannot be read, and
    // there is nothing to replace.
    ExportModules(std::shared_ptr<ModuleSource> database, QString folder,
                  QByteArray codePage = DefaultExportCodePage);

    // A replacement that cannot be read or parsed becomes that module's
    // error; the other modules stay usable.
    QList<ModuleText> modules() override;

private:
    // The export's text of a module, or a null string when the folder has none.
    QString exportedText(const QString &moduleName) const;

    std::shared_ptr<ModuleSource> m_database;
    ExportFolder m_folder;
    QByteArray m_codePage;
};
