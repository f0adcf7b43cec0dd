#include "host/jet/vbasource.h"

#include "host/jet/jetfile.h"
#include "host/jet/jetsource.h"
#include "host/jet/systemtables.h"
#include "host/jet/vbaformat.h"
#include "host/vb/errors.h"

#include <QHash>
#include <functional>
#include <optional>

namespace {

int column(const JetTableReader &table, const char *name)
{
    const int i = int(table.fieldNames().indexOf(QString::fromLatin1(name), 0));
    if (i < 0) {
        for (qsizetype j = 0; j < table.fieldNames().size(); ++j)
            if (table.fieldNames()[j].compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
                return int(j);
        throw HostError(
            Err::DesignNotReadable,
            QStringLiteral("The VBA storage lacks its column %1.").arg(QLatin1String(name)));
    }
    return i;
}

using StreamFinder = std::function<QByteArray(const VbaDirModule &)>;
using KindFinder = std::function<ModuleText::Kind(const QString &name, const VbaDirModule &)>;

// Stream lookup relative to a VBAProject storage.
using ProjectStream = std::function<std::optional<QByteArray>(const QStringList &path)>;

} // namespace

JetModuleSource::JetModuleSource(const QString &path, const JetOptions &options)
    : m_path(path)
    , m_options(options)
    , m_source(JetSource::open(path, options))
{
}

ModuleSourceOpener JetModuleSource::opener(const JetOptions &options)
{
    return [options](const QString &path) -> std::shared_ptr<ModuleSource> {
        return std::make_shared<JetModuleSource>(path, options);
    };
}

QList<ModuleText> JetModuleSource::modules()
{
    if (!m_read) {
        read();
        m_read = true;
    }
    return m_modules;
}

void JetModuleSource::read()
{
    // The code page a project of code page 0 was written in: the one used
    // for the file's own text.
    const auto fallback = [&] {
        if (!m_options.jet3Charset.isEmpty())
            return m_options.jet3Charset;
        return JetFile::open(m_path, m_options)->jet3Charset();
    };

    const auto build = [&](const QByteArray &dirStream, const std::optional<QByteArray> &project,
                           const StreamFinder &streamFor, const KindFinder &kindFor) {
        const VbaDir dir = parseDirStream(ovbaDecompress(dirStream));
        m_codePage = dir.codePage;
        const QString charset = dir.codePage == 0 ? fallback() : QString();
        const auto decode = [&](const QByteArray &b) {
            return decodeCodePage(b, dir.codePage, charset);
        };
        QHash<QString, ModuleText::Kind> kinds;
        if (project)
            kinds = parseProjectStream(decode(*project));
        for (const VbaDirModule &m : dir.modules) {
            ModuleText text;
            text.name = m.unicodeName.isEmpty() ? decode(m.name) : m.unicodeName;
            if (m.procedural)
                text.kind = ModuleText::Kind::Standard;
            else if (project)
                text.kind = kinds.value(text.name, ModuleText::Kind::Class);
            else if (kindFor)
                text.kind = kindFor(text.name, m);
            else // a storage that lost its PROJECT stream
                text.kind = ModuleText::Kind::Class;
            try {
                text.source = decode(ovbaDecompress(streamFor(m), m.offset));
            } catch (const HostError &e) {
                text.error = QStringLiteral("The source of module '%1' cannot be read: %2")
                                 .arg(text.name, e.description());
            }
            m_modules.append(text);
        }
    };

    if (auto table = readSystemTable(*m_source, QStringLiteral("MSysAccessStorage"))) {
        m_storage = QStringLiteral("MSysAccessStorage");
        const int id = column(*table, "Id"), parent = column(*table, "ParentId"),
                  name = column(*table, "Name"), type = column(*table, "Type");
        struct Node
        {
            qint64 id, parent, type;
            QString name;
        };
        QList<Node> nodes;
        while (table->next())
            nodes.append({integerOf(table->value(id)), integerOf(table->value(parent)),
                          integerOf(table->value(type)),
                          table->value(name).isNull() ? QString() : table->value(name).asText()});
        const auto child = [&](qint64 of, const QString &n) -> const Node * {
            for (const Node &node : nodes)
                if (node.parent == of && node.id != of &&
                    node.name.compare(n, Qt::CaseInsensitive) == 0)
                    return &node;
            return nullptr;
        };
        const Node *root = nullptr;
        for (const Node &node : nodes)
            if (node.id == node.parent && node.name == QLatin1String("MSysAccessStorage_ROOT"))
                root = &node;
        const Node *project = root ? child(root->id, QStringLiteral("VBA")) : nullptr;
        project = project ? child(project->id, QStringLiteral("VBAProject")) : nullptr;
        if (!project)
            return; // no VBA project: no modules
        const Node *vba = child(project->id, QStringLiteral("VBA"));
        if (!vba)
            throw HostError(Err::DesignNotReadable,
                            QStringLiteral("The VBA project lacks its VBA storage."));
        // Only the streams needed are read: the second pass fetches their values.
        QHash<qint64, QByteArray> values;
        QList<qint64> wanted;
        const Node *dirNode = child(vba->id, QStringLiteral("dir"));
        const Node *projectNode = child(project->id, QStringLiteral("PROJECT"));
        if (!dirNode)
            throw HostError(Err::DesignNotReadable,
                            QStringLiteral("The VBA project lacks its dir stream."));
        for (const Node &node : nodes)
            if (node.parent == vba->id || node.parent == project->id)
                wanted.append(node.id);
        auto again = m_source->readTable(QStringLiteral("MSysAccessStorage"));
        const int lv = column(again, "Lv");
        while (again.next()) {
            const qint64 rowId = integerOf(again.value(id));
            if (wanted.contains(rowId))
                values.insert(rowId, binaryOf(again.value(lv)));
        }
        build(values.value(dirNode->id),
              projectNode ? std::optional<QByteArray>(values.value(projectNode->id)) : std::nullopt,
              [&](const VbaDirModule &m) {
                  const QString streamName =
                      m.unicodeStream.isEmpty()
                          ? decodeCodePage(m.streamName, m_codePage, QString())
                          : m.unicodeStream;
                  const Node *s = child(vba->id, streamName);
                  if (!s)
                      throw HostError(Err::DesignNotReadable,
                                      QStringLiteral("its stream %1 is missing").arg(streamName));
                  return values.value(s->id);
              },
              {});
        return;
    }

    std::optional<JetTableReader> objects =
        readSystemTable(*m_source, QStringLiteral("MSysAccessObjects"));
    std::optional<JetTableReader> modules2 =
        readSystemTable(*m_source, QStringLiteral("MSysModules2"));
    if (objects && !modules2) {
        m_storage = QStringLiteral("MSysAccessObjects");
        const int id = column(*objects, "ID"), data = column(*objects, "Data");
        const QByteArray file = assembleAccessObjects(*objects, id, data);
        if (file.isEmpty())
            return;
        const CompoundFile cfb(file);
        const QStringList project{QStringLiteral("VBA"), QStringLiteral("VBAProject")};
        if (!cfb.hasEntry(project))
            return;
        const QStringList projectPath = project + QStringList{QStringLiteral("PROJECT")};
        build(cfb.stream(project + QStringList{QStringLiteral("VBA"), QStringLiteral("dir")}),
              cfb.hasEntry(projectPath) ? std::optional<QByteArray>(cfb.stream(projectPath))
                                        : std::nullopt,
              [&](const VbaDirModule &m) {
                  const QString streamName =
                      m.unicodeStream.isEmpty()
                          ? decodeCodePage(m.streamName, m_codePage, QString())
                          : m.unicodeStream;
                  return cfb.stream(project + QStringList{QStringLiteral("VBA"), streamName});
              },
              {});
        return;
    }

    if (modules2) {
        m_storage = QStringLiteral("MSysModules2");
        const int name = column(*modules2, "Name"), type = column(*modules2, "Type"),
                  version = column(*modules2, "Version"), module = column(*modules2, "Module");
        QByteArray projectBlob;
        qint64 projectVersion = -1;
        struct Row
        {
            qint64 type;
            QByteArray blob;
        };
        QHash<QString, Row> rows;
        while (modules2->next()) {
            const Value n = modules2->value(name);
            const QString rowName = n.isNull() ? QString() : n.asText();
            const qint64 rowType = integerOf(modules2->value(type));
            if (rowType == 2 && rowName == QLatin1String("MSysDb")) {
                // A stale project row may remain: the highest Version wins.
                const qint64 v = integerOf(modules2->value(version));
                if (v > projectVersion) {
                    projectVersion = v;
                    projectBlob = binaryOf(modules2->value(module));
                }
            } else if (rowType != 0) {
                rows.insert(rowName, Row{rowType, binaryOf(modules2->value(module))});
            }
        }
        if (projectVersion < 0)
            return;
        const QHash<QString, QByteArray> project = parseModuleBundle(projectBlob);
        if (!project.contains(QStringLiteral("dir")))
            return;
        build(
            project.value(QStringLiteral("dir")), std::nullopt,
            [&](const VbaDirModule &m) {
                const QString n = m.unicodeName.isEmpty()
                                      ? decodeCodePage(m.name, m_codePage, QString())
                                      : m.unicodeName;
                if (!rows.contains(n))
                    throw HostError(Err::DesignNotReadable, QStringLiteral("its row is missing"));
                const QHash<QString, QByteArray> streams = parseModuleBundle(rows.value(n).blob);
                return streams.value(QStringLiteral("_VBA_MODULE"));
            },
            [&](const QString &n, const VbaDirModule &) {
                const qint64 t = rows.value(n).type;
                return t == 32768 || t == 32772 ? ModuleText::Kind::Document
                                                : ModuleText::Kind::Class;
            });
    }
}
