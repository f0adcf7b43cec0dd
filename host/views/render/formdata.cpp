#include "host/views/render/formdata.h"

#include "host/objects/application.h"
#include "host/vb/errors.h"
#include "host/vb/vb.h"

CursorFormData::CursorFormData(RowsOpener rows, DesignLookup designs)
    : m_rows(std::move(rows))
    , m_designs(std::move(designs))
{
}

QList<FormRecord> CursorFormData::records(const QString &recordSource, int first, int count,
                                          const RecordFilter &filter)
{
    std::unique_ptr<RowCursor> cursor = m_rows(recordSource);
    const QStringList names = cursor->fieldNames();
    QStringList keys;
    for (const QString &name : names)
        keys << name.toCaseFolded();
    const qsizetype filterColumn = filter.active() ? keys.indexOf(filter.field.toCaseFolded()) : -1;
    if (filter.active() && filterColumn < 0)
        throw HostError(
            Err::ItemNotFound,
            QStringLiteral("\"%1\" has no field \"%2\"").arg(recordSource, filter.field));
    QList<FormRecord> records;
    int skipped = 0;
    while (records.size() < count && cursor->next()) {
        const QList<Value> row = cursor->row();
        if (filterColumn >= 0 &&
            (row.value(filterColumn).isNull() || filter.value.isNull() ||
             vb::textOrEmpty(row.value(filterColumn)) != vb::textOrEmpty(filter.value)))
            continue;
        if (skipped++ < first)
            continue;
        FormRecord record;
        for (qsizetype i = 0; i < keys.size() && i < row.size(); ++i)
            record.insert(keys[i], row[i]);
        records << record;
    }
    return records;
}

QList<QStringList> CursorFormData::rows(const QString &rowSource, int count)
{
    std::unique_ptr<RowCursor> cursor = m_rows(rowSource);
    QList<QStringList> rows;
    while (rows.size() < count && cursor->next()) {
        QStringList texts;
        for (const Value &value : cursor->row())
            texts << (value.type() == Value::Type::Binary ? QString() : vb::textOrEmpty(value));
        rows << texts;
    }
    return rows;
}

const Form &CursorFormData::design(const QString &formName)
{
    return m_designs(formName);
}

QString boundFieldKey(const QString &controlSource)
{
    const QString source = controlSource.trimmed();
    if (source.isEmpty() || source.startsWith(u'='))
        return QString();
    // The last part of a qualified name, without its brackets.
    QString name = source;
    const qsizetype dot = source.lastIndexOf(QLatin1String("]."));
    if (dot >= 0)
        name = source.mid(dot + 2);
    else if (!source.startsWith(u'[') && source.contains(u'.'))
        name = source.mid(source.lastIndexOf(u'.') + 1);
    if (name.startsWith(u'[') && name.endsWith(u']'))
        name = name.mid(1, name.size() - 2);
    return name.toCaseFolded();
}

RowsOpener targetRows(Application &target)
{
    return [&target](const QString &source) -> std::unique_ptr<RowCursor> {
        Database &database = target.CurrentDb();
        for (const TableDef &table : database.TableDefs()) {
            if (table.Name.compare(source, Qt::CaseInsensitive) == 0)
                return database.openRows(table.Name);
        }
        const ExportServices &engine = target.exportServices();
        for (const QueryDef &query : database.QueryDefs()) {
            if (query.Name.compare(source, Qt::CaseInsensitive) != 0)
                continue;
            if (!engine.runQuery)
                break;
            return engine.runQuery(database, query.Name, engine.prompt);
        }
        const QString trimmed = source.trimmed();
        const bool sql = trimmed.startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive) ||
                         trimmed.startsWith(QLatin1String("(SELECT"), Qt::CaseInsensitive);
        if (sql && engine.runSql)
            return engine.runSql(database, trimmed, engine.prompt);
        throw HostError(Err::QueryNotRunnable,
                        QStringLiteral("\"%1\" is neither a table nor a query this build runs "
                                       "for a form")
                            .arg(source));
    };
}

std::unique_ptr<FormData> targetFormData(Application &target)
{
    return std::make_unique<CursorFormData>(
        targetRows(target),
        [&target](const QString &name) -> const Form & { return target.SubformDesign(name); });
}
