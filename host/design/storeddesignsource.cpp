#include "host/design/storeddesignsource.h"

#include "host/design/designstream.h"
#include "host/design/designstreambuilder.h"
#include "host/jet/jetfile.h"
#include "host/jet/jetsource.h"
#include "host/jet/vbasource.h"
#include "host/vb/errors.h"

#include <QFileInfo>

StoredDesignSource::StoredDesignSource(const QString &path, const JetOptions &options)
    : m_path(path)
    , m_options(options)
    , m_source(JetSource::open(path, options))
{
}

DesignOpener StoredDesignSource::opener(const JetOptions &options)
{
    return [options](const QString &path) -> std::shared_ptr<DesignSource> {
        return std::make_shared<StoredDesignSource>(path, options);
    };
}

const StoredDesignList &StoredDesignSource::designs()
{
    if (!m_designs) {
        const bool jet3 = m_source->summary().Version == QLatin1String("3.0");
        m_designs = readStoredDesigns(*m_source, jet3);
        // Access 97 streams hold ANSI text in the code page the file's own
        // text uses.
        m_ansiCharset = !m_options.jet3Charset.isEmpty()
                            ? m_options.jet3Charset
                            : JetFile::open(m_path, m_options)->jet3Charset();
    }
    return *m_designs;
}

const QSet<QString> &StoredDesignSource::moduleNames()
{
    if (!m_moduleNames) {
        m_moduleNames.emplace();
        // The stream does not say whether the object has a module; the VBA
        // project does. A project that cannot be read leaves every design
        // readable, only without its module flag.
        try {
            for (const ModuleText &module : JetModuleSource(m_path, m_options).modules())
                if (module.kind == ModuleText::Kind::Document)
                    m_moduleNames->insert(module.name.toLower());
        } catch (const HostError &) {
        }
    }
    return *m_moduleNames;
}

QStringList StoredDesignSource::names(bool isReport)
{
    QStringList names;
    for (const StoredDesignBytes &object : designs().objects)
        if (object.isReport == isReport && !object.blob.isEmpty())
            names.append(object.name);
    return names;
}

QStringList StoredDesignSource::formNames()
{
    return names(false);
}

QStringList StoredDesignSource::reportNames()
{
    return names(true);
}

QString StoredDesignSource::storage()
{
    return designs().storage;
}

Form StoredDesignSource::form(const QString &name)
{
    return load(false, name);
}

Report StoredDesignSource::report(const QString &name)
{
    return load(true, name);
}

AccessObject StoredDesignSource::load(bool isReport, const QString &name)
{
    QHash<QString, AccessObject> &cache = isReport ? m_reports : m_forms;
    if (const auto cached = cache.constFind(name); cached != cache.constEnd())
        return *cached;
    const QString what = isReport ? QStringLiteral("report") : QStringLiteral("form");
    const QString file = QFileInfo(m_path).fileName();
    const StoredDesignList &list = designs();
    const StoredDesignBytes *found = nullptr;
    for (const StoredDesignBytes &object : list.objects)
        if (object.isReport == isReport && object.name.compare(name, Qt::CaseInsensitive) == 0)
            found = &object;
    if (!found || found->blob.isEmpty())
        throw HostError(
            Err::DesignNotReadable,
            QStringLiteral("The design of the %1 %2 is not stored in %3 (looked in %4)")
                .arg(what, name, file,
                     list.storage.isEmpty() ? QStringLiteral("no design storage") : list.storage));
    const QString where = QStringLiteral("%1: %2 %3").arg(file, what, found->name);
    DesignStream stream = parseDesignStream(found->blob, where);
    if (!found->delta.isEmpty())
        mergeDesignDelta(
            stream.root,
            parseDesignStream(found->delta, where + QStringLiteral(" (BlobDelta)")).root);
    const QString module =
        ((isReport ? QStringLiteral("Report_") : QStringLiteral("Form_")) + found->name).toLower();
    AccessObject object = buildStoredDesign(stream, found->name, where, m_ansiCharset,
                                            moduleNames().contains(module));
    cache.insert(name, object);
    return object;
}
