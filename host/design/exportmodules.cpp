#include "host/design/exportmodules.h"

#include "host/design/exportdesignsource.h"
#include "host/design/exportparser.h"
#include "host/vb/errors.h"

ExportModules::ExportModules(std::shared_ptr<ModuleSource> database, QString folder,
                             QByteArray codePage)
    : m_database(std::move(database))
    , m_folder(std::move(folder))
    , m_codePage(std::move(codePage))
{
}

QList<ModuleText> ExportModules::modules()
{
    if (!m_database)
        return {};
    QList<ModuleText> list = m_database->modules();
    for (ModuleText &module : list) {
        try {
            const QString text = exportedText(module.name);
            if (!text.isNull()) {
                module.source = text;
                module.error.clear();
            }
        } catch (const HostError &e) {
            module.source.clear();
            module.error = e.description();
        }
    }
    return list;
}

namespace {

// Module text keeps the CRLF line ends the VBA editor uses, whatever the
// export's line ends became on the way.
QString withCrLf(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}

} // namespace

QString ExportModules::exportedText(const QString &moduleName) const
{
    const QString module = m_folder.find(ExportObjectKind::Module, moduleName,
                                         {QStringLiteral(".bas"), QStringLiteral(".cls")});
    if (!module.isEmpty())
        return withCrLf(readExportFile(module, m_codePage.constData()));

    const struct
    {
        QLatin1String prefix;
        ExportObjectKind kind;
    } documents[] = {{QLatin1String("Form_"), ExportObjectKind::Form},
                     {QLatin1String("Report_"), ExportObjectKind::Report}};
    for (const auto &document : documents) {
        if (!moduleName.startsWith(document.prefix) || moduleName.size() == document.prefix.size())
            continue;
        const QString design = m_folder.find(document.kind, moduleName.mid(document.prefix.size()));
        if (design.isEmpty())
            continue;
        const ParsedExport file =
            parseExport(readExportFile(design, m_codePage.constData()), design);
        if (file.hasCodeBehind)
            return file.codeBehind;
    }
    return QString();
}
