#include "host/design/exportdesignsource.h"

#include "host/design/designbuilder.h"
#include "host/design/exportparser.h"
#include "host/vb/errors.h"

#include <QDir>
#include <QFile>

ExportDesignSource::ExportDesignSource(QString folder, QByteArray codePage)
    : m_folder(std::move(folder))
    , m_codePage(std::move(codePage))
{
}

Form ExportDesignSource::form(const QString &name)
{
    return load(ExportObjectKind::Form, name);
}

Report ExportDesignSource::report(const QString &name)
{
    return load(ExportObjectKind::Report, name);
}

AccessObject ExportDesignSource::load(ExportObjectKind kind, const QString &name)
{
    const bool isForm = kind == ExportObjectKind::Form;
    QHash<QString, AccessObject> &cache = isForm ? m_forms : m_reports;
    if (const auto cached = cache.constFind(name); cached != cache.constEnd())
        return *cached;

    const QString what = isForm ? QStringLiteral("form") : QStringLiteral("report");
    const QString path = m_folder.find(kind, name);
    if (path.isEmpty()) {
        QStringList folders;
        for (const QString &folder : m_folder.foldersOf(kind))
            folders.append(QDir::toNativeSeparators(folder));
        throw HostError(Err::DesignNotReadable,
                        QStringLiteral("The design of the %1 %2 was not found: looked for %2%3 "
                                       "(also in any case) in %4")
                            .arg(what, name, ExportFolder::fileEndings().join(u'|'),
                                 folders.join(QStringLiteral(", "))));
    }
    const ParsedExport file = parseExport(readExportFile(path, m_codePage.constData()), path);
    const QString top = file.blocks.isEmpty() ? QString() : file.blocks.front().keyword;
    const QString expected = isForm ? QStringLiteral("Form") : QStringLiteral("Report");
    if (!top.isEmpty() && top != expected &&
        (top == QLatin1String("Form") || top == QLatin1String("Report")))
        throw HostError(Err::DesignNotReadable,
                        QStringLiteral("%1, line %2: the file holds a %3, not the %4 %5")
                            .arg(path)
                            .arg(file.blocks.front().line)
                            .arg(top.toLower(), what, name));
    AccessObject object = buildDesign(file, name);
    cache.insert(name, object);
    return object;
}

QString readExportFile(const QString &path, const char *codePage)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw HostError(Err::DesignNotReadable,
                        QStringLiteral("%1: cannot be read: %2").arg(path, file.errorString()));
    return decodeExportText(file.readAll(), path, codePage);
}
