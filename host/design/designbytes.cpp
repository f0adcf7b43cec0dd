#include "host/design/designbytes.h"

#include "host/jet/jetsource.h"
#include "host/jet/systemtables.h"
#include "host/jet/vbaformat.h"
#include "host/vb/errors.h"

#include <QHash>
#include <QtEndian>
#include <optional>

namespace {

constexpr qint64 FormObjectType = -32768;
constexpr qint64 ReportObjectType = -32764;
constexpr qint64 FormModuleType = 32768;
constexpr qint64 ReportModuleType = 32772;

const QString directoryName = QStringLiteral("\x03"
                                             "DirData");

[[noreturn]] void damaged(const QString &storage, const QString &what)
{
    throw HostError(Err::DesignNotReadable,
                    QStringLiteral("The design storage %1 is damaged: %2").arg(storage, what));
}

int column(const JetTableReader &table, const QString &storage, const char *name)
{
    const QStringList names = table.fieldNames();
    for (qsizetype i = 0; i < names.size(); ++i)
        if (names[i].compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return int(i);
    damaged(storage, QStringLiteral("it lacks its column %1").arg(QLatin1String(name)));
}

QString textOf(const Value &v)
{
    return v.isText() ? v.asText() : QString();
}

// Access 2002 and later: a storage tree of rows. Only the directories and
// the design streams are kept in memory.
StoredDesignList readAccessStorage(JetTableReader &table)
{
    const QString storage = QStringLiteral("MSysAccessStorage");
    const int id = column(table, storage, "Id"), parent = column(table, storage, "ParentId"),
              name = column(table, storage, "Name"), lv = column(table, storage, "Lv");
    struct Node
    {
        qint64 id, parent;
        QString name;
        QByteArray bytes;
    };
    QList<Node> nodes;
    QHash<qint64, QList<qsizetype>> childrenOf;
    while (table.next()) {
        Node node{integerOf(table.value(id)),
                  integerOf(table.value(parent)),
                  textOf(table.value(name)),
                  {}};
        if (node.name == directoryName || node.name == QLatin1String("Blob") ||
            node.name == QLatin1String("BlobDelta"))
            node.bytes = binaryOf(table.value(lv));
        if (node.id != node.parent)
            childrenOf[node.parent].append(nodes.size());
        nodes.append(std::move(node));
    }
    const auto child = [&](qint64 of, const QString &n) -> const Node * {
        for (qsizetype i : childrenOf.value(of))
            if (nodes[i].name.compare(n, Qt::CaseInsensitive) == 0)
                return &nodes[i];
        return nullptr;
    };
    StoredDesignList list;
    list.storage = storage;
    const Node *root = nullptr;
    for (const Node &node : nodes)
        if (node.id == node.parent && node.name == QLatin1String("MSysAccessStorage_ROOT"))
            root = &node;
    if (!root)
        return list;
    for (const bool isReport : {false, true}) {
        const QString folderName = isReport ? QStringLiteral("Reports") : QStringLiteral("Forms");
        const Node *folder = child(root->id, folderName);
        if (!folder)
            continue;
        // A folder Access made but never filled has no directory.
        const Node *directory = child(folder->id, directoryName);
        if (!directory)
            continue;
        for (const auto &[objectName, number] : parseDesignDirectory(directory->bytes)) {
            const Node *object = child(folder->id, QString::number(number));
            const Node *blob = object ? child(object->id, QStringLiteral("Blob")) : nullptr;
            if (!blob)
                damaged(storage, QStringLiteral("%1/%2 (%3) has no Blob stream")
                                     .arg(folderName)
                                     .arg(number)
                                     .arg(objectName));
            const Node *delta = child(object->id, QStringLiteral("BlobDelta"));
            list.objects.append(
                {objectName, isReport, blob->bytes, delta ? delta->bytes : QByteArray()});
        }
    }
    return list;
}

// Access 2000: the same tree inside a compound file cut into rows by ID.
StoredDesignList readAccessObjects(JetTableReader &table)
{
    const QString storage = QStringLiteral("MSysAccessObjects");
    const int id = column(table, storage, "ID"), data = column(table, storage, "Data");
    StoredDesignList list;
    list.storage = storage;
    const QByteArray file = assembleAccessObjects(table, id, data);
    if (file.isEmpty())
        return list;
    const CompoundFile cfb(file);
    for (const bool isReport : {false, true}) {
        const QString folder = isReport ? QStringLiteral("Reports") : QStringLiteral("Forms");
        if (!cfb.hasEntry({folder, directoryName}))
            continue;
        for (const auto &[objectName, number] :
             parseDesignDirectory(cfb.stream({folder, directoryName}))) {
            const QString n = QString::number(number);
            if (!cfb.hasEntry({folder, n, QStringLiteral("Blob")}))
                damaged(storage,
                        QStringLiteral("%1/%2 (%3) has no Blob stream").arg(folder, n, objectName));
            const QStringList deltaPath{folder, n, QStringLiteral("BlobDelta")};
            list.objects.append({objectName, isReport,
                                 cfb.stream({folder, n, QStringLiteral("Blob")}),
                                 cfb.hasEntry(deltaPath) ? cfb.stream(deltaPath) : QByteArray()});
        }
    }
    return list;
}

// Access 97: an object without code keeps its design in its catalog row, one
// with code in the MSysModules2 row of its module.
StoredDesignList readAccess97(JetSource &source)
{
    StoredDesignList list;
    list.storage = QStringLiteral("MSysObjects");
    JetTableReader objects = source.readTable(QStringLiteral("MSysObjects"));
    const int name = column(objects, list.storage, "Name"),
              type = column(objects, list.storage, "Type"),
              extra = column(objects, list.storage, "LvExtra");
    QList<StoredDesignBytes> found;
    while (objects.next()) {
        const qint64 t = integerOf(objects.value(type));
        if (t != FormObjectType && t != ReportObjectType)
            continue;
        found.append({textOf(objects.value(name)),
                      t == ReportObjectType,
                      binaryOf(objects.value(extra)),
                      {}});
    }
    bool needModules = false;
    for (const StoredDesignBytes &object : found)
        needModules = needModules || object.blob.isEmpty();
    if (needModules) {
        if (auto modules = readSystemTable(source, QStringLiteral("MSysModules2"))) {
            const QString storage = QStringLiteral("MSysModules2");
            const int mName = column(*modules, storage, "Name"),
                      mType = column(*modules, storage, "Type"),
                      mVersion = column(*modules, storage, "Version"),
                      mForm = column(*modules, storage, "Form");
            // A stale row may remain beside the current one: the highest Version wins.
            QHash<QString, std::pair<qint64, QByteArray>> rows;
            while (modules->next()) {
                const qint64 t = integerOf(modules->value(mType));
                if (t != FormModuleType && t != ReportModuleType)
                    continue;
                const QString key = textOf(modules->value(mName));
                const qint64 version = integerOf(modules->value(mVersion));
                if (!rows.contains(key) || rows[key].first < version)
                    rows.insert(key, {version, binaryOf(modules->value(mForm))});
            }
            for (StoredDesignBytes &object : found)
                if (object.blob.isEmpty())
                    object.blob = rows.value((object.isReport ? QStringLiteral("Report_")
                                                              : QStringLiteral("Form_")) +
                                             object.name)
                                      .second;
        }
    }
    list.objects = found;
    return list;
}

} // namespace

QList<std::pair<QString, quint32>> parseDesignDirectory(const QByteArray &bytes)
{
    QList<std::pair<QString, quint32>> entries;
    qsizetype at = 4;
    while (at + 2 <= bytes.size() && quint8(bytes[at]) == 0x04) {
        const qsizetype size = quint8(bytes[at + 1]);
        if (size < 4 || size % 2 != 0 || at + 2 + size > bytes.size())
            break;
        const char *entry = bytes.constData() + at + 2;
        QString name((size - 4) / 2, Qt::Uninitialized);
        for (qsizetype i = 0; i < name.size(); ++i) // entries need not be aligned
            name[i] = QChar(qFromLittleEndian<quint16>(entry + 2 * i));
        entries.append({name, qFromLittleEndian<quint32>(entry + size - 4)});
        at += 2 + size;
    }
    return entries;
}

StoredDesignList readStoredDesigns(JetSource &source, bool jet3)
{
    if (auto storage = readSystemTable(source, QStringLiteral("MSysAccessStorage")))
        return readAccessStorage(*storage);
    if (jet3)
        return readAccess97(source);
    if (auto objects = readSystemTable(source, QStringLiteral("MSysAccessObjects")))
        return readAccessObjects(*objects);
    return {};
}
