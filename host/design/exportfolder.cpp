#include "host/design/exportfolder.h"

#include <QDir>
#include <QFileInfo>

ExportFolder::ExportFolder(QString root)
    : m_root(std::move(root))
{
}

const QStringList &ExportFolder::fileEndings()
{
    static const QStringList endings{
        QStringLiteral(".txt"),    QStringLiteral(".bas"),    QStringLiteral(".cls"),
        QStringLiteral(".form"),   QStringLiteral(".report"), QStringLiteral(".accfrm"),
        QStringLiteral(".accrpt"), QStringLiteral(".accmac"),
    };
    return endings;
}

QStringList ExportFolder::foldersOf(ExportObjectKind kind) const
{
    QStringList names;
    switch (kind) {
    case ExportObjectKind::Form:
        names = {QStringLiteral("forms"), QStringLiteral("Form")};
        break;
    case ExportObjectKind::Report:
        names = {QStringLiteral("reports"), QStringLiteral("Report")};
        break;
    case ExportObjectKind::Macro:
        names = {QStringLiteral("macros"), QStringLiteral("Macro")};
        break;
    case ExportObjectKind::Module:
        names = {QStringLiteral("modules"), QStringLiteral("Module")};
        break;
    }
    QStringList folders;
    for (const QString &name : names)
        folders.append(QDir(m_root).filePath(name));
    return folders;
}

QString ExportFolder::find(ExportObjectKind kind, const QString &name,
                           const QStringList &endings) const
{
    const QStringList &wanted = endings.isEmpty() ? fileEndings() : endings;
    const QStringList folders = foldersOf(kind);
    // A name is never a path: one with a separator can only match by listing.
    const bool plainName = !name.isEmpty() && !name.contains(u'/') && !name.contains(QChar(0)) &&
                           name != QLatin1String(".") && name != QLatin1String("..");
    if (plainName) {
        for (const QString &folder : folders) {
            for (const QString &ending : wanted) {
                const QFileInfo file(QDir(folder).filePath(name + ending));
                if (file.isFile())
                    return file.filePath();
            }
        }
    }
    for (const QString &folder : folders) {
        const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files, QDir::Name);
        for (const QString &ending : wanted) {
            for (const QFileInfo &entry : entries) {
                if (entry.fileName().compare(name + ending, Qt::CaseInsensitive) == 0)
                    return entry.filePath();
            }
        }
    }
    return QString();
}

QString defaultExportFolder(const QString &databasePath)
{
    const QFileInfo database(databasePath);
    return database.dir().filePath(database.completeBaseName() + QStringLiteral(".src"));
}
