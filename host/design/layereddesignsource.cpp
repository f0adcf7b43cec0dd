#include "host/design/layereddesignsource.h"

#include "host/vb/errors.h"

#include <QDir>

LayeredDesignSource::LayeredDesignSource(QString databasePath, QString exportFolder,
                                         QByteArray exportCodePage, JetOptions options)
    : m_path(std::move(databasePath))
    , m_options(std::move(options))
    , m_exports(std::move(exportFolder), std::move(exportCodePage))
{
}

Form LayeredDesignSource::form(const QString &name)
{
    return load(ExportObjectKind::Form, name);
}

Report LayeredDesignSource::report(const QString &name)
{
    return load(ExportObjectKind::Report, name);
}

AccessObject LayeredDesignSource::load(ExportObjectKind kind, const QString &name)
{
    const bool isForm = kind == ExportObjectKind::Form;
    if (!m_exports.folder().find(kind, name).isEmpty())
        return isForm ? m_exports.form(name) : m_exports.report(name);
    QString fileSaid;
    try {
        if (!m_stored)
            m_stored = std::make_unique<StoredDesignSource>(m_path, m_options);
        return isForm ? m_stored->form(name) : m_stored->report(name);
    } catch (const HostError &e) {
        fileSaid = e.description();
        if (fileSaid.endsWith(u'.'))
            fileSaid.chop(1);
    }
    QStringList folders;
    for (const QString &folder : m_exports.folder().foldersOf(kind))
        folders.append(QDir::toNativeSeparators(folder));
    throw HostError(Err::DesignNotReadable,
                    QStringLiteral("The design of the %1 %2 cannot be read: %3; and no export of "
                                   "it was found in %4")
                        .arg(isForm ? QStringLiteral("form") : QStringLiteral("report"), name,
                             fileSaid, folders.join(QStringLiteral(", "))));
}
