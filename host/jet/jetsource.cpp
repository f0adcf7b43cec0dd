#include "host/jet/jetsource.h"

#include "host/jet/jetfile.h"
#include "host/jet/jetprops.h"
#include "host/jet/jetquery.h"
#include "host/vb/errors.h"
#include "host/vb/skippeddamage.h"

#include <QHash>
#include <QRegularExpression>

namespace {

// MSysObjects.Type values.
enum ObjectType : qint16 {
    LocalTable = 1,
    DatabaseObject = 2,
    ContainerObject = 3,
    OdbcTable = 4,
    QueryObject = 5,
    LinkedTable = 6
};

// Containers hang below this root, which has no row of its own.
constexpr qint32 rootId = 0x0F000000;

struct CatalogRow
{
    qint32 id = 0;
    qint32 parentId = 0;
    QString name;
    qint16 type = 0;
    Value created;
    Value updated;
    qint32 flags = 0;
    QString database;
    QString connect;
    QString foreignName;
    QByteArray lvProp;
};

qint32 longOf(const Value &v)
{
    switch (v.type()) {
    case Value::Type::Long:
        return v.asLong();
    case Value::Type::Integer:
        return v.asInteger();
    case Value::Type::Boolean:
        return v.asBoolean() ? -1 : 0;
    case Value::Type::Single:
    case Value::Type::Double:
        return qint32(v.asDouble());
    default:
        return 0;
    }
}

Value dateOr(const Value &v)
{
    return v.type() == Value::Type::Date ? v : Value::null();
}

qint16 daoFieldType(int jetType)
{
    switch (jetType) {
    case 0x10:
        return DaoType::Decimal;
    case 0x12:
        return DaoType::Attachment;
    case 0x13:
        return DaoType::BigInt;
    case 0x14:
        return DaoType::Text; // Date/Time Extended has no classic DAO code
    default:
        return (jetType >= 1 && jetType <= 12) || jetType == 15 ? qint16(jetType) : DaoType::Binary;
    }
}

qint32 daoFieldSize(const JetColumnDef &col, bool jet3)
{
    switch (col.type) {
    case 0x01:
    case 0x02:
        return 1;
    case 0x03:
        return 2;
    case 0x04:
    case 0x06:
    case 0x12:
        return 4;
    case 0x05:
    case 0x07:
    case 0x08:
    case 0x13:
        return 8;
    case 0x0A:
        return jet3 ? col.size : col.size / 2;
    case 0x0B:
    case 0x0C:
        return 0;
    case 0x0F:
    case 0x10:
        return 16;
    default:
        return col.size;
    }
}

QString textProperty(const Properties &props, const char *name)
{
    const Property *p = props.find(QString::fromLatin1(name));
    return p && p->value.isText() ? p->value.asText() : QString();
}

bool boolProperty(const Properties &props, const char *name)
{
    const Property *p = props.find(QString::fromLatin1(name));
    if (!p)
        return false;
    if (p->value.type() == Value::Type::Boolean)
        return p->value.asBoolean();
    return longOf(p->value) != 0;
}

// The table or query an alias in the FROM list stands for.
QString aliasTable(const QList<JetQueryRow> &rows, const QString &alias)
{
    for (const JetQueryRow &r : rows)
        if (r.attribute == 5 && r.name2.compare(alias, Qt::CaseInsensitive) == 0)
            return r.name1;
    return alias;
}

} // namespace

// Everything read from MSysObjects when the file is opened, shared with the
// Lazy loaders so that they outlive the source's own calls.
struct JetCatalog
{
    std::shared_ptr<JetFile> file;
    QList<CatalogRow> rows;
    std::optional<QHash<qint32, QList<JetQueryRow>>> queries;
    std::optional<QHash<quint32, qint16>> complexTypes; // ComplexID -> DAO type
    QHash<QString, QList<Field>> columnCache;           // lower-case table/query name

    QList<JetPropertyBlock> blocks(const CatalogRow &row) const
    {
        bool damaged = false;
        QList<JetPropertyBlock> blocks = parsePropertyBlob(
            row.lvProp, [this](const char *d, qsizetype n) { return file->decodeText(d, n); },
            &damaged);
        if (damaged)
            noteSkippedDamage(QStringLiteral("The database '%1' is damaged: the properties of "
                                             "'%2' are unreadable from some point; the rest "
                                             "were skipped.")
                                  .arg(file->path(), row.name));
        return blocks;
    }
    Properties ownProperties(const CatalogRow &row) const
    {
        return propertyBlock(blocks(row), QString(), row.name);
    }
    const CatalogRow *find(const QString &name, std::initializer_list<qint16> types) const
    {
        for (const CatalogRow &r : rows)
            if (r.name.compare(name, Qt::CaseInsensitive) == 0 &&
                std::find(types.begin(), types.end(), r.type) != types.end())
                return &r;
        return nullptr;
    }

    void readObjects();
    const QHash<qint32, QList<JetQueryRow>> &queryRows();
    qint16 complexType(quint32 complexId);
    TableDetail tableDetail(const CatalogRow &row);
    QueryDetail queryDetail(const CatalogRow &row, qint16 daoType);
    QList<Field> columnsOf(const QString &name, int depth);
};

void JetCatalog::readObjects()
{
    JetTable t(file, 2, QStringLiteral("MSysObjects"));
    const auto col = [&](const char *name, bool required) {
        const int i = t.columnIndex(QString::fromLatin1(name));
        if (i < 0 && required)
            file->raiseDamaged(
                QStringLiteral("the catalog lacks its column %1").arg(QLatin1String(name)));
        return i;
    };
    const int id = col("Id", true), parent = col("ParentId", true), name = col("Name", true),
              type = col("Type", true), flags = col("Flags", true);
    const int created = col("DateCreate", false), updated = col("DateUpdate", false),
              database = col("Database", false), connect = col("Connect", false),
              foreign = col("ForeignName", false), lvProp = col("LvProp", false);
    while (t.next()) {
        CatalogRow r;
        r.id = longOf(t.value(id));
        r.parentId = longOf(t.value(parent));
        r.name = t.text(name);
        r.type = qint16(longOf(t.value(type)));
        r.flags = longOf(t.value(flags));
        if (created >= 0)
            r.created = dateOr(t.value(created));
        if (updated >= 0)
            r.updated = dateOr(t.value(updated));
        if (database >= 0)
            r.database = t.text(database);
        if (connect >= 0)
            r.connect = t.text(connect);
        if (foreign >= 0)
            r.foreignName = t.text(foreign);
        if (lvProp >= 0)
            r.lvProp = t.longValue(lvProp);
        rows.append(r);
    }
    if (rows.isEmpty())
        file->raiseDamaged(QStringLiteral("the catalog is empty"));
    // Every catalog lists itself: a system table at page 2. Without that
    // row, and no page skipped that might have held it, its column
    // definitions were read wrong, and every other row with them.
    const bool listsItself = std::any_of(rows.begin(), rows.end(), [](const CatalogRow &r) {
        return r.type == LocalTable && (quint32(r.id) & 0x00FFFFFF) == 2 &&
               r.name == QLatin1String("MSysObjects") && (quint32(r.flags) & 0x80000000u);
    });
    if (!listsItself && !t.skippedDamage())
        file->raiseDamaged(QStringLiteral("the catalog does not list itself"));
}

const QHash<qint32, QList<JetQueryRow>> &JetCatalog::queryRows()
{
    if (queries)
        return *queries;
    QHash<qint32, QList<JetQueryRow>> byId;
    if (const CatalogRow *sys = find(QStringLiteral("MSysQueries"), {LocalTable})) {
        JetTable t(file, quint32(sys->id) & 0x00FFFFFF, sys->name);
        const int id = t.columnIndex(u"ObjectId"), attr = t.columnIndex(u"Attribute"),
                  n1 = t.columnIndex(u"Name1"), n2 = t.columnIndex(u"Name2"),
                  expr = t.columnIndex(u"Expression"), flag = t.columnIndex(u"Flag"),
                  extra = t.columnIndex(u"LvExtra");
        if (id < 0 || attr < 0 || n1 < 0 || n2 < 0 || expr < 0 || flag < 0)
            file->raiseDamaged(QStringLiteral("MSysQueries lacks a column"));
        while (t.next()) {
            JetQueryRow r;
            r.attribute = longOf(t.value(attr));
            r.name1 = t.text(n1);
            r.name2 = t.text(n2);
            r.expression = t.text(expr);
            r.flag = longOf(t.value(flag));
            if (extra >= 0)
                r.extra = longOf(t.value(extra));
            byId[longOf(t.value(id))].append(r);
        }
    }
    queries = std::move(byId);
    return *queries;
}

// The DAO type of a complex column: MSysComplexColumns names, by ComplexID,
// the template table whose name tells the kind.
qint16 JetCatalog::complexType(quint32 complexId)
{
    if (!complexTypes) {
        complexTypes.emplace();
        if (const CatalogRow *sys = find(QStringLiteral("MSysComplexColumns"), {LocalTable})) {
            JetTable t(file, quint32(sys->id) & 0x00FFFFFF, sys->name);
            const int id = t.columnIndex(u"ComplexID");
            const int type = t.columnIndex(u"ComplexTypeObjectID");
            if (id < 0 || type < 0)
                file->raiseDamaged(QStringLiteral("MSysComplexColumns lacks a column"));
            static const QHash<QString, qint16> kinds{
                {QStringLiteral("MSysComplexType_Attachment"), DaoType::Attachment},
                {QStringLiteral("MSysComplexType_UnsignedByte"), 102},
                {QStringLiteral("MSysComplexType_Short"), 103},
                {QStringLiteral("MSysComplexType_Long"), 104},
                {QStringLiteral("MSysComplexType_IEEESingle"), 105},
                {QStringLiteral("MSysComplexType_IEEEDouble"), 106},
                {QStringLiteral("MSysComplexType_GUID"), 107},
                {QStringLiteral("MSysComplexType_Decimal"), 108},
                {QStringLiteral("MSysComplexType_Text"), DaoType::ComplexText}};
            while (t.next()) {
                const qint32 typeObject = longOf(t.value(type));
                for (const CatalogRow &r : rows)
                    if ((r.id & 0x00FFFFFF) == (typeObject & 0x00FFFFFF)) {
                        if (const auto k = kinds.constFind(r.name); k != kinds.cend())
                            complexTypes->insert(quint32(longOf(t.value(id))), *k);
                        break;
                    }
            }
        }
    }
    // Version-history columns and unknown kinds stay attachments.
    return complexTypes->value(complexId, DaoType::Attachment);
}

TableDetail JetCatalog::tableDetail(const CatalogRow &row)
{
    TableDetail d;
    const QList<JetPropertyBlock> props = blocks(row);
    d.properties = propertyBlock(props, QString(), row.name);
    if (row.type == LinkedTable) {
        // The definition lives in the other file.
        d.RecordCount = -1;
        return d;
    }
    JetTable t(file, quint32(row.id) & 0x00FFFFFF, row.name);
    const JetTableDefinition &def = t.definition();
    d.RecordCount = row.type == OdbcTable ? -1 : def.rowCount;
    const bool jet3 = file->header().isJet3();
    // Kept as long as the database is open: no growth slack.
    d.fields.reserve(def.columns.size());
    d.indexes.reserve(def.indexes.size());
    for (const JetColumnDef &col : def.columns) {
        Field f;
        f.Name = col.name;
        f.Type = col.type == 0x12 ? complexType(col.complexId) : daoFieldType(col.type);
        f.Size = daoFieldSize(col, jet3);
        f.properties = propertyBlock(props, col.name, col.name);
        f.AllowZeroLength = boolProperty(f.properties, "AllowZeroLength");
        f.Required = boolProperty(f.properties, "Required");
        f.DefaultValue = Value(textProperty(f.properties, "DefaultValue"));
        f.ValidationRule = textProperty(f.properties, "ValidationRule");
        f.ValidationText = textProperty(f.properties, "ValidationText");
        f.SourceField = col.name;
        f.SourceTable = row.name;
        f.DataUpdatable = false;
        d.fields.append(f);
    }
    for (const JetIndexDef &idx : def.indexes) {
        Index index;
        index.Name = idx.name;
        index.Primary = idx.type == 1;
        index.Unique = index.Primary || (idx.flags & 0x01);
        for (int number : idx.columnNumbers)
            for (const JetColumnDef &col : def.columns)
                if (col.number == number)
                    index.Fields.append(col.name);
        d.indexes.append(index);
    }
    return d;
}

QList<Field> JetCatalog::columnsOf(const QString &name, int depth)
{
    const QString key = name.toLower();
    if (columnCache.contains(key))
        return columnCache.value(key);
    QList<Field> fields;
    // A query that reads itself through others ends here.
    if (depth < 8) {
        if (const CatalogRow *r = find(name, {LocalTable, OdbcTable}))
            fields = tableDetail(*r).fields;
        else if (const CatalogRow *q = find(name, {QueryObject}))
            fields = queryDetail(*q, qint16(q->flags & 0xF0)).fields;
    }
    columnCache.insert(key, fields);
    return fields;
}

QueryDetail JetCatalog::queryDetail(const CatalogRow &row, qint16 daoType)
{
    static thread_local int depth = 0;
    struct Depth
    {
        Depth() { ++depth; }
        ~Depth() { --depth; }
    } guard;

    QueryDetail d;
    const QList<JetQueryRow> rows = queryRows().value(row.id);
    d.SQL = buildQuerySql(rows, daoType, file->header().isJet3());
    d.properties = ownProperties(row);
    const QList<JetPropertyBlock> props = blocks(row);

    QStringList inputs;
    for (const JetQueryRow &r : rows)
        if (r.attribute == 5)
            inputs.append(r.name1);
    const auto makeField = [&](const Field &source, const QString &name) {
        Field f = source;
        f.Name = name;
        f.DataUpdatable = false;
        f.properties = propertyBlock(props, name, name);
        return f;
    };
    for (const JetQueryOutput &o : queryOutputs(rows, daoType)) {
        const QStringList tables = o.table.isEmpty() ? inputs : QStringList{o.table};
        if (o.column == QLatin1String("*")) {
            for (const QString &t : tables)
                for (const Field &f : columnsOf(t, depth))
                    d.fields.append(makeField(f, f.Name));
            continue;
        }
        bool found = false;
        for (const QString &t : tables) {
            for (const Field &f : columnsOf(t, depth))
                if (!o.column.isEmpty() && f.Name.compare(o.column, Qt::CaseInsensitive) == 0) {
                    d.fields.append(makeField(f, o.name));
                    found = true;
                    break;
                }
            if (found)
                break;
        }
        if (found)
            continue;
        // An expression: counts are Long, sums and averages Double, the rest
        // is typed as text because its type depends on the data.
        Field f;
        const QString e = o.expression.trimmed().toLower();
        static const QRegularExpression pick(
            QStringLiteral("^(?:min|max|first|last)\\((?:\\[?([^\\]\\.\\[]+)\\]?\\.)?"
                           "\\[?([^\\]\\.\\[\\)]+)\\]?\\)$"),
            QRegularExpression::CaseInsensitiveOption);
        const auto m = pick.match(o.expression.trimmed());
        if (m.hasMatch()) {
            // Min, Max, First and Last keep their argument's type.
            const QString table = m.captured(1);
            for (const QString &t : table.isEmpty() ? inputs : QStringList{table})
                for (const Field &c : columnsOf(aliasTable(rows, t), depth))
                    if (!found && c.Name.compare(m.captured(2), Qt::CaseInsensitive) == 0) {
                        d.fields.append(makeField(c, o.name));
                        d.fields.last().SourceField.clear();
                        d.fields.last().SourceTable.clear();
                        found = true;
                    }
            if (found)
                continue;
        }
        if (e.startsWith(QLatin1String("count("))) {
            f.Type = DaoType::Long;
            f.Size = 4;
        } else if (e.startsWith(QLatin1String("sum(")) || e.startsWith(QLatin1String("avg("))) {
            f.Type = DaoType::Double;
            f.Size = 8;
        } else {
            f.Type = DaoType::Text;
            f.Size = 255;
        }
        d.fields.append(makeField(f, o.name));
    }
    return d;
}

std::shared_ptr<JetSource> JetSource::open(const QString &path, const JetOptions &options)
{
    std::shared_ptr<JetSource> source(new JetSource);
    source->m_file = JetFile::open(path, options);
    source->m_catalog = std::make_shared<JetCatalog>();
    source->m_catalog->file = source->m_file;
    source->m_catalog->readObjects();
    return source;
}

JetTableReader JetSource::readTable(const QString &name) const
{
    const CatalogRow *row = m_catalog->find(name, {LocalTable});
    if (!row)
        throw HostError(
            Err::ObjectNotFound,
            QStringLiteral("The table '%1' does not exist in this database.").arg(name));
    return JetTableReader(
        std::make_shared<JetTable>(m_file, quint32(row->id) & 0x00FFFFFF, row->name));
}

JetTableReader::JetTableReader(std::shared_ptr<JetTable> table)
    : m_table(std::move(table))
{
}

QStringList JetTableReader::fieldNames() const
{
    QStringList names;
    for (const JetColumnDef &c : m_table->columns())
        names.append(c.name);
    return names;
}

bool JetTableReader::next()
{
    return m_table->next();
}

Value JetTableReader::value(int field) const
{
    return m_table->value(field);
}

QString JetTableReader::text(int field) const
{
    return m_table->text(field);
}

QList<Value> JetTableReader::row() const
{
    QList<Value> values;
    for (int i = 0; i < m_table->columns().size(); ++i)
        values.append(m_table->value(i));
    return values;
}

SourceOpener JetSource::opener(const JetOptions &options)
{
    return [options](const QString &path) -> std::shared_ptr<DatabaseSource> {
        return JetSource::open(path, options);
    };
}

DatabaseSummary JetSource::summary()
{
    DatabaseSummary s;
    s.Name = m_file->path();
    s.Version = m_file->header().daoVersion();
    s.QueryTimeout = 60;
    s.Updatable = true;
    s.properties = Properties(Properties::Owner::Dao, s.Name);
    if (const CatalogRow *db = m_catalog->find(QStringLiteral("MSysDb"), {DatabaseObject})) {
        s.properties = m_catalog->ownProperties(*db);
        s.properties.setOwnerName(s.Name);
    }
    return s;
}

QList<TableDef> JetSource::tableDefs()
{
    QList<TableDef> out;
    const std::shared_ptr<JetCatalog> catalog = m_catalog;
    for (const CatalogRow &row : catalog->rows) {
        if (row.type != LocalTable && row.type != OdbcTable && row.type != LinkedTable)
            continue;
        TableDef t;
        t.Name = row.name;
        t.DateCreated = row.created;
        t.LastUpdated = row.updated;
        // DAO passes the system bits on as they are: 0x80000000 for the
        // engine's tables, 2 for the ones Access adds.
        t.Attributes = row.flags & DaoTableAttr::HiddenObject;
        if (row.type != LocalTable) // exclusive / saved-password bits of a link
            t.Attributes |= row.flags & (DaoTableAttr::AttachExclusive | 0x20000);
        t.Attributes |= row.flags & DaoTableAttr::SystemObject;
        if (row.type == LinkedTable) {
            t.Attributes |= DaoTableAttr::AttachedTable;
            // DAO shows the source file as the DATABASE part of Connect.
            QString prefix = row.connect;
            if (!prefix.isEmpty() && !prefix.endsWith(QLatin1Char(';')))
                prefix += QLatin1Char(';');
            t.Connect = (prefix.isEmpty() ? QStringLiteral(";") : prefix) +
                        QStringLiteral("DATABASE=") + row.database;
            t.SourceTableName = row.foreignName;
            t.Updatable = false;
        } else if (row.type == OdbcTable) {
            t.Attributes |= DaoTableAttr::AttachedODBC;
            t.Connect = row.connect.startsWith(QLatin1String("ODBC;"), Qt::CaseInsensitive)
                            ? row.connect
                            : QStringLiteral("ODBC;") + row.connect;
            t.SourceTableName = row.foreignName;
            t.Updatable = false;
        }
        const CatalogRow copy = row;
        t.detail =
            Lazy<TableDetail>::deferred([catalog, copy] { return catalog->tableDetail(copy); });
        out.append(t);
    }
    return out;
}

QList<QueryDef> JetSource::queryDefs()
{
    QList<QueryDef> out;
    const std::shared_ptr<JetCatalog> catalog = m_catalog;
    bool anyQuery = false;
    for (const CatalogRow &row : catalog->rows)
        anyQuery = anyQuery || row.type == QueryObject;
    if (!anyQuery)
        return out;
    const QHash<qint32, QList<JetQueryRow>> &all = catalog->queryRows();
    for (const CatalogRow &row : catalog->rows) {
        if (row.type != QueryObject)
            continue;
        const QList<JetQueryRow> rows = all.value(row.id);
        QueryDef q;
        q.Name = row.name;
        q.Type = qint16(daoQueryType(queryKind(rows, row.flags & 0xF0)));
        q.DateCreated = row.created;
        q.LastUpdated = row.updated;
        q.Connect = queryConnect(rows);
        const Properties own = catalog->ownProperties(row);
        if (const Property *p = own.find(u"ODBCTimeout"); p && p->value.isNumeric())
            q.ODBCTimeout = qint16(longOf(p->value));
        if (const Property *p = own.find(u"MaxRecords"); p && p->value.isNumeric())
            q.MaxRecords = longOf(p->value);
        const CatalogRow copy = row;
        const qint16 type = q.Type;
        q.detail = Lazy<QueryDetail>::deferred(
            [catalog, copy, type] { return catalog->queryDetail(copy, type); });
        out.append(q);
    }
    return out;
}

QList<Container> JetSource::containers()
{
    QList<Container> out;
    const std::shared_ptr<JetCatalog> catalog = m_catalog;
    for (const CatalogRow &c : catalog->rows) {
        if (c.type != ContainerObject || c.parentId != rootId)
            continue;
        Container container;
        container.Name = c.name;
        for (const CatalogRow &row : catalog->rows) {
            if (row.parentId != c.id || &row == &c)
                continue;
            Document doc;
            doc.Name = row.name;
            doc.DateCreated = row.created;
            doc.LastUpdated = row.updated;
            const CatalogRow copy = row;
            doc.properties = Lazy<Properties>::deferred(
                [catalog, copy] { return catalog->ownProperties(copy); });
            container.Documents.append(doc);
        }
        out.append(container);
    }
    return out;
}

namespace {
// The DAO-side row cursor over the Jet table reader.
class JetRows : public RowCursor
{
public:
    explicit JetRows(JetTableReader reader)
        : m_reader(std::move(reader))
    {
    }
    QStringList fieldNames() const override { return m_reader.fieldNames(); }
    bool next() override { return m_reader.next(); }
    QList<Value> row() const override { return m_reader.row(); }

private:
    JetTableReader m_reader;
};
} // namespace

std::unique_ptr<RowCursor> JetSource::openRows(const QString &table)
{
    return std::make_unique<JetRows>(readTable(table));
}
