// JSON descriptions and generated databases for the Jet writer.

#include "host/jet/write/jetwriterdesc.h"
#include "host/vb/errors.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

[[noreturn]] void bad(const QString &message)
{
    throw HostError(Err(3000), message);
}

const QHash<QString, int> &typeNames()
{
    static const QHash<QString, int> names = {
        {QStringLiteral("boolean"), JetType::Boolean},
        {QStringLiteral("yesno"), JetType::Boolean},
        {QStringLiteral("byte"), JetType::Byte},
        {QStringLiteral("integer"), JetType::Integer},
        {QStringLiteral("long"), JetType::Long},
        {QStringLiteral("currency"), JetType::Currency},
        {QStringLiteral("single"), JetType::Single},
        {QStringLiteral("double"), JetType::Double},
        {QStringLiteral("date"), JetType::DateTime},
        {QStringLiteral("datetime"), JetType::DateTime},
        {QStringLiteral("text"), JetType::Text},
        {QStringLiteral("memo"), JetType::Memo},
        {QStringLiteral("binary"), JetType::Binary},
        {QStringLiteral("ole"), JetType::Ole},
        {QStringLiteral("guid"), JetType::Guid},
        {QStringLiteral("replicationid"), JetType::Guid},
        {QStringLiteral("decimal"), JetType::Decimal},
    };
    return names;
}

Value jsonValue(const QJsonValue &v)
{
    switch (v.type()) {
    case QJsonValue::Bool:
        return Value::boolean(v.toBool());
    case QJsonValue::Double: {
        const double d = v.toDouble();
        if (d == std::floor(d) && std::abs(d) < 2147483648.0)
            return Value::longInt(qint32(d));
        return Value::dbl(d);
    }
    case QJsonValue::String:
        return Value(v.toString());
    default:
        return Value::null();
    }
}

// The common properties have short keys; anything else goes in "properties".
QList<JetWriterProperty> properties(const QJsonObject &o)
{
    static const QList<QPair<const char *, const char *>> shortKeys = {
        {"description", "Description"},
        {"caption", "Caption"},
        {"defaultValue", "DefaultValue"},
        {"validationRule", "ValidationRule"},
        {"validationText", "ValidationText"},
        {"required", "Required"},
        {"allowZeroLength", "AllowZeroLength"},
        {"format", "Format"},
        {"inputMask", "InputMask"},
        {"decimalPlaces", "DecimalPlaces"},
    };
    QList<JetWriterProperty> out;
    for (const auto &[key, name] : shortKeys)
        if (o.contains(QLatin1String(key)))
            out.append({QString::fromLatin1(name), jsonValue(o.value(QLatin1String(key)))});
    const QJsonObject more = o.value(QLatin1String("properties")).toObject();
    for (auto it = more.begin(); it != more.end(); ++it)
        out.append({it.key(), jsonValue(it.value())});
    return out;
}

QString requiredName(const QJsonObject &o, const QString &what)
{
    const QString name = o.value(QLatin1String("name")).toString();
    if (name.isEmpty())
        bad(QStringLiteral("a %1 without a name").arg(what));
    return name;
}

// One CSV record per line; quoted fields may hold commas, quotes ("") and
// line breaks. An empty unquoted field is NULL.
QList<QList<Value>> readCsv(const QString &path, bool header)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        bad(QStringLiteral("cannot read %1").arg(path));
    const QString text = QString::fromUtf8(f.readAll());
    QList<QList<Value>> rows;
    QList<Value> row;
    QString field;
    bool quoted = false, wasQuoted = false;
    const auto endField = [&] {
        row.append(field.isEmpty() && !wasQuoted ? Value::null() : Value(field));
        field.clear();
        wasQuoted = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"')
                field += text[++i];
            else if (c == u'"')
                quoted = false;
            else
                field += c;
        } else if (c == u'"') {
            quoted = wasQuoted = true;
        } else if (c == u',') {
            endField();
        } else if (c == u'\n' || c == u'\r') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            endField();
            rows.append(row);
            row.clear();
        } else {
            field += c;
        }
    }
    if (!field.isEmpty() || wasQuoted || !row.isEmpty()) {
        endField();
        rows.append(row);
    }
    if (header && !rows.isEmpty())
        rows.removeFirst();
    return rows;
}

JetWriterTable table(const QJsonObject &o, const QString &baseDir)
{
    JetWriterTable t;
    t.name = requiredName(o, QStringLiteral("table"));
    t.properties = properties(o);
    for (const QJsonValue &cv : o.value(QLatin1String("columns")).toArray()) {
        const QJsonObject co = cv.toObject();
        JetWriterColumn c;
        c.name = requiredName(co, QStringLiteral("column of table %1").arg(t.name));
        const QString type = co.value(QLatin1String("type")).toString().toLower();
        if (type == u"autonumber") {
            c.type = JetType::Long;
            c.autoNumber = true;
        } else if (typeNames().contains(type)) {
            c.type = typeNames().value(type);
        } else {
            bad(QStringLiteral("%1.%2: unknown type \"%3\"").arg(t.name, c.name, type));
        }
        c.size = co.value(QLatin1String("size")).toInt();
        c.precision = co.value(QLatin1String("precision")).toInt(c.precision);
        c.scale = co.value(QLatin1String("scale")).toInt(c.scale);
        c.properties = properties(co);
        t.columns.append(c);
    }
    for (const QJsonValue &k : o.value(QLatin1String("primaryKey")).toArray())
        t.primaryKey.append(k.toString());
    // "indexes": [{"name": ..., "columns": ["A", {"name": "B", "descending": true}],
    //              "unique": true, "ignoreNulls": true, "required": true}]
    for (const QJsonValue &iv : o.value(QLatin1String("indexes")).toArray()) {
        const QJsonObject io = iv.toObject();
        JetWriterIndex index;
        index.name = requiredName(io, QStringLiteral("index of table %1").arg(t.name));
        for (const QJsonValue &cv : io.value(QLatin1String("columns")).toArray()) {
            index.columns.append(cv.isString() ? cv.toString()
                                               : cv[QLatin1String("name")].toString());
            index.descending.append(cv[QLatin1String("descending")].toBool());
        }
        index.unique = io.value(QLatin1String("unique")).toBool();
        index.ignoreNulls = io.value(QLatin1String("ignoreNulls")).toBool();
        index.required = io.value(QLatin1String("required")).toBool();
        t.indexes.append(index);
    }
    const auto binaryColumn = [&](qsizetype i) {
        return i < t.columns.size() &&
               (t.columns[i].type == JetType::Ole || t.columns[i].type == JetType::Binary);
    };
    for (const QJsonValue &rv : o.value(QLatin1String("rows")).toArray()) {
        QList<Value> row;
        const QJsonArray cells = rv.toArray();
        for (qsizetype i = 0; i < cells.size(); ++i) {
            // Binary values are written as base64 text.
            if (binaryColumn(i) && cells[i].isString())
                row.append(Value::binary(QByteArray::fromBase64(cells[i].toString().toLatin1())));
            else
                row.append(jsonValue(cells[i]));
        }
        t.rows.append(row);
    }
    if (o.contains(QLatin1String("csv"))) {
        const QString path = QDir(baseDir).filePath(o.value(QLatin1String("csv")).toString());
        for (QList<Value> row : readCsv(path, o.value(QLatin1String("csvHeader")).toBool(true))) {
            for (qsizetype i = 0; i < row.size(); ++i)
                if (binaryColumn(i) && row[i].isText())
                    row[i] = Value::binary(QByteArray::fromBase64(row[i].asText().toLatin1()));
            t.rows.append(row);
        }
    }
    return t;
}

QStringList strings(const QJsonValue &v)
{
    QStringList out;
    if (v.isString())
        out.append(v.toString());
    for (const QJsonValue &s : v.toArray())
        out.append(s.toString());
    return out;
}

JetWriterQuery query(const QJsonObject &o)
{
    static const QHash<QString, JetWriterQuery::Kind> kinds = {
        {QStringLiteral("select"), JetWriterQuery::Select},
        {QStringLiteral("maketable"), JetWriterQuery::MakeTable},
        {QStringLiteral("append"), JetWriterQuery::Append},
        {QStringLiteral("update"), JetWriterQuery::Update},
        {QStringLiteral("delete"), JetWriterQuery::Delete},
        {QStringLiteral("crosstab"), JetWriterQuery::Crosstab},
        {QStringLiteral("ddl"), JetWriterQuery::DataDefinition},
        {QStringLiteral("passthrough"), JetWriterQuery::PassThrough},
        {QStringLiteral("union"), JetWriterQuery::Union},
    };
    static const QHash<QString, int> paramTypes = {
        {QStringLiteral("value"), 0},      {QStringLiteral("bit"), 1},
        {QStringLiteral("byte"), 2},       {QStringLiteral("short"), 3},
        {QStringLiteral("long"), 4},       {QStringLiteral("currency"), 5},
        {QStringLiteral("ieeesingle"), 6}, {QStringLiteral("ieeedouble"), 7},
        {QStringLiteral("datetime"), 8},   {QStringLiteral("text"), 10},
    };
    JetWriterQuery q;
    q.name = requiredName(o, QStringLiteral("query"));
    const QString kind =
        o.value(QLatin1String("kind")).toString(QStringLiteral("select")).toLower();
    if (!kinds.contains(kind))
        bad(QStringLiteral("query %1: unknown kind \"%2\"").arg(q.name, kind));
    q.kind = kinds.value(kind);
    q.properties = properties(o);
    for (const QJsonValue &pv : o.value(QLatin1String("parameters")).toArray()) {
        const QJsonObject po = pv.toObject();
        const QString type =
            po.value(QLatin1String("type")).toString(QStringLiteral("value")).toLower();
        if (!paramTypes.contains(type))
            bad(QStringLiteral("query %1: unknown parameter type \"%2\"").arg(q.name, type));
        q.parameters.append({po.value(QLatin1String("name")).toString(), paramTypes.value(type),
                             po.value(QLatin1String("size")).toInt()});
    }
    q.distinct = o.value(QLatin1String("distinct")).toBool();
    q.allFields = o.value(QLatin1String("allFields")).toBool();
    if (o.contains(QLatin1String("top")))
        q.top = QString::number(o.value(QLatin1String("top")).toInt());
    q.topPercent = o.value(QLatin1String("topPercent")).toBool();
    for (const QJsonValue &sv : o.value(QLatin1String("from")).toArray()) {
        if (sv.isString())
            q.sources.append({sv.toString(), {}});
        else
            q.sources.append(
                {sv[QLatin1String("name")].toString(), sv[QLatin1String("alias")].toString()});
    }
    static const QHash<QString, int> joinTypes = {
        {QStringLiteral("inner"), 1}, {QStringLiteral("left"), 2}, {QStringLiteral("right"), 3}};
    for (const QJsonValue &jv : o.value(QLatin1String("joins")).toArray()) {
        const QJsonObject jo = jv.toObject();
        q.joins.append(
            {jo.value(QLatin1String("left")).toString(),
             jo.value(QLatin1String("right")).toString(), jo.value(QLatin1String("on")).toString(),
             joinTypes.value(
                 jo.value(QLatin1String("type")).toString(QStringLiteral("inner")).toLower(), 1)});
    }
    static const QHash<QString, int> roles = {
        {QStringLiteral("value"), 0}, {QStringLiteral("column"), 1}, {QStringLiteral("row"), 2}};
    for (const QJsonValue &cv : o.value(QLatin1String("columns")).toArray()) {
        if (cv.isString()) {
            q.outputs.append({cv.toString(), {}, {}, -1});
            continue;
        }
        const QJsonObject co = cv.toObject();
        q.outputs.append({co.value(QLatin1String("expr")).toString(),
                          co.value(QLatin1String("alias")).toString(),
                          co.value(QLatin1String("target")).toString(),
                          roles.value(co.value(QLatin1String("crosstab")).toString(), -1)});
    }
    q.where = o.value(QLatin1String("where")).toString();
    q.having = o.value(QLatin1String("having")).toString();
    q.groupBy = strings(o.value(QLatin1String("groupBy")));
    q.pivot = o.value(QLatin1String("pivot")).toString();
    for (const QJsonValue &ov : o.value(QLatin1String("orderBy")).toArray()) {
        if (ov.isString())
            q.orderBy.append({ov.toString(), false});
        else
            q.orderBy.append(
                {ov[QLatin1String("expr")].toString(), ov[QLatin1String("desc")].toBool()});
    }
    q.target = o.value(QLatin1String("target")).toString();
    q.sql = o.value(QLatin1String("sql")).toString();
    q.connect = o.value(QLatin1String("connect")).toString();
    q.unionParts = strings(o.value(QLatin1String("union")));
    q.unionAll = o.value(QLatin1String("unionAll")).toBool();
    return q;
}

// A module's code: "code" as one string or an array of lines, or
// "codeFile", a UTF-8 file beside the description.
QString moduleCode(const QJsonObject &o, const QString &name, const QString &baseDir)
{
    const QJsonValue code = o.value(QLatin1String("code"));
    if (code.isArray()) {
        QStringList lines;
        for (const QJsonValue &line : code.toArray())
            lines << line.toString();
        return lines.join(u'\n');
    }
    if (code.isString())
        return code.toString();
    const QString file = o.value(QLatin1String("codeFile")).toString();
    if (file.isEmpty())
        return QString();
    QFile f(QDir(baseDir).filePath(file));
    if (!f.open(QIODevice::ReadOnly))
        bad(QStringLiteral("%1: cannot read its code file %2").arg(name, f.fileName()));
    return QString::fromUtf8(f.readAll());
}

// A form's or report's "designFile": its design stream, stored as it is.
QByteArray designBytes(const QJsonObject &o, const QString &name, const QString &baseDir)
{
    const QString file = o.value(QLatin1String("designFile")).toString();
    if (file.isEmpty())
        return QByteArray();
    QFile f(QDir(baseDir).filePath(file));
    if (!f.open(QIODevice::ReadOnly))
        bad(QStringLiteral("%1: cannot read its design file %2").arg(name, f.fileName()));
    return f.readAll();
}

} // namespace

JetWriterDatabase parseJetDescription(const QByteArray &json, const QString &baseDir)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        bad(QStringLiteral("the description is not JSON: %1 at offset %2")
                .arg(error.errorString())
                .arg(error.offset));
    const QJsonObject root = doc.object();
    JetWriterDatabase db;
    db.version = root.value(QLatin1String("version")).toInt(4);
    db.codePage = quint16(root.value(QLatin1String("codePage")).toInt(1252));
    db.sortOrder = root.value(QLatin1String("sortOrder")).toInt(0x0409);
    if (root.contains(QLatin1String("created"))) {
        const QDate date =
            QDate::fromString(root.value(QLatin1String("created")).toString(), Qt::ISODate);
        if (!date.isValid())
            bad(QStringLiteral("created: not a yyyy-MM-dd date"));
        db.created = double(QDate(1899, 12, 30).daysTo(date));
    }
    db.properties = properties(root.value(QLatin1String("database")).toObject());
    const QJsonObject summary = root.value(QLatin1String("summary")).toObject();
    for (auto it = summary.begin(); it != summary.end(); ++it)
        db.summary.append({it.key(), jsonValue(it.value())});
    for (const QJsonValue &tv : root.value(QLatin1String("tables")).toArray())
        db.tables.append(table(tv.toObject(), baseDir));
    for (const QJsonValue &lv : root.value(QLatin1String("links")).toArray()) {
        const QJsonObject lo = lv.toObject();
        db.links.append({requiredName(lo, QStringLiteral("linked table")),
                         lo.value(QLatin1String("database")).toString(),
                         lo.value(QLatin1String("foreignName")).toString(),
                         lo.value(QLatin1String("connect")).toString()});
    }
    for (const QJsonValue &rv : root.value(QLatin1String("relationships")).toArray()) {
        const QJsonObject ro = rv.toObject();
        JetWriterRelationship r;
        r.name = requiredName(ro, QStringLiteral("relationship"));
        r.table = ro.value(QLatin1String("table")).toString();
        r.column = ro.value(QLatin1String("column")).toString();
        r.referencedTable = ro.value(QLatin1String("referencedTable")).toString();
        r.referencedColumn = ro.value(QLatin1String("referencedColumn")).toString();
        r.flags = ro.value(QLatin1String("grbit")).toInt();
        db.relationships.append(r);
    }
    for (const QJsonValue &qv : root.value(QLatin1String("queries")).toArray())
        db.queries.append(query(qv.toObject()));
    const QPair<const char *, JetWriterDocument::Kind> documentKinds[] = {
        {"forms", JetWriterDocument::Form},
        {"reports", JetWriterDocument::Report},
        {"macros", JetWriterDocument::Macro},
        {"modules", JetWriterDocument::Module}};
    for (const auto &[key, kind] : documentKinds)
        for (const QJsonValue &dv : root.value(QLatin1String(key)).toArray()) {
            const QJsonObject d = dv.toObject();
            JetWriterDocument doc;
            doc.name = requiredName(d, QString::fromLatin1(key).chopped(1));
            doc.kind = kind;
            doc.properties = properties(d);
            doc.code = moduleCode(d, doc.name, baseDir);
            doc.hasCode =
                d.contains(QLatin1String("code")) || d.contains(QLatin1String("codeFile"));
            doc.classModule = d.value(QLatin1String("class")).toBool();
            if (kind == JetWriterDocument::Macro && doc.hasCode)
                bad(QStringLiteral("macro %1: macros have no VBA code").arg(doc.name));
            if (kind == JetWriterDocument::Form || kind == JetWriterDocument::Report)
                doc.design = designBytes(d, doc.name, baseDir);
            db.documents.append(doc);
        }
    const QJsonObject vba = root.value(QLatin1String("vba")).toObject();
    db.vbaProjectName = vba.value(QLatin1String("projectName")).toString(db.vbaProjectName);
    db.vbaCodePage = quint16(vba.value(QLatin1String("codePage")).toInt(0));
    return db;
}

JetGeneratorSize parseGeneratorSize(const QString &text)
{
    JetGeneratorSize size;
    for (const QString &part : text.split(u',', Qt::SkipEmptyParts)) {
        const QString key = part.section(u'=', 0, 0).trimmed().toLower();
        bool ok = false;
        const int value = part.section(u'=', 1).trimmed().toInt(&ok);
        int *slot = key == u"tables"       ? &size.tables
                    : key == u"fields"     ? &size.fields
                    : key == u"rows"       ? &size.rows
                    : key == u"bigrows"    ? &size.bigRows
                    : key == u"queries"    ? &size.queries
                    : key == u"modules"    ? &size.modules
                    : key == u"procedures" ? &size.procedures
                    : key == u"deleted"    ? &size.deletedPercent
                                           : nullptr;
        if (!slot || !ok || value < 0)
            bad(QStringLiteral(
                    "--generate: \"%1\" is not one of tables=, fields=, rows=, bigrows=, queries=, "
                    "modules=, procedures=, deleted=")
                    .arg(part));
        *slot = value;
    }
    if (size.tables < 1 || size.fields < 2 || size.fields > 255)
        bad(QStringLiteral("--generate: at least one table and 2 to 255 fields"));
    if (size.deletedPercent > 100)
        bad(QStringLiteral("--generate: deleted= is a percentage of the rows"));
    return size;
}

JetWriterDatabase generateJetDatabase(const JetGeneratorSize &size)
{
    // Column types cycle so that every table has fixed, text and memo columns.
    static const int cycle[] = {JetType::Text,     JetType::Long,     JetType::Double,
                                JetType::DateTime, JetType::Currency, JetType::Boolean,
                                JetType::Integer,  JetType::Memo};
    JetWriterDatabase db;
    for (int t = 0; t < size.tables; ++t) {
        JetWriterTable table;
        table.name = QStringLiteral("Table%1").arg(t + 1, 4, 10, QLatin1Char('0'));
        table.properties = {{QStringLiteral("Description"),
                             Value(QStringLiteral("Generated table %1").arg(t + 1))}};
        JetWriterColumn id;
        id.name = QStringLiteral("ID");
        id.type = JetType::Long;
        id.autoNumber = true;
        table.columns.append(id);
        table.primaryKey = {id.name};
        for (int f = 1; f < size.fields; ++f) {
            JetWriterColumn c;
            c.name = QStringLiteral("Field%1").arg(f, 3, 10, QLatin1Char('0'));
            c.type = cycle[(f - 1) % 8];
            c.size = c.type == JetType::Text ? 50 : 0;
            table.columns.append(c);
        }
        const int rows = t == 0 ? size.bigRows : size.rows;
        for (int r = 0; r < rows; ++r) {
            QList<Value> row{Value::longInt(r + 1)}; // numbered as inserted, deleted or not
            for (int f = 1; f < size.fields; ++f) {
                switch (cycle[(f - 1) % 8]) {
                case JetType::Text:
                    row.append(Value(QStringLiteral("Text %1-%2").arg(r).arg(f)));
                    break;
                case JetType::Long:
                    row.append(Value::longInt(r * f));
                    break;
                case JetType::Double:
                    row.append(Value::dbl(r / 7.0));
                    break;
                case JetType::DateTime:
                    row.append(Value::date(40000 + r % 5000));
                    break;
                case JetType::Currency:
                    row.append(Value::currency(qint64(r) * 125));
                    break;
                case JetType::Boolean:
                    row.append(Value::boolean(r % 2));
                    break;
                case JetType::Integer:
                    row.append(Value::integer(qint16(r % 30000)));
                    break;
                default:
                    row.append(r % 10 ? Value::null()
                                      : Value(QStringLiteral("Memo of row %1").arg(r)));
                    break;
                }
            }
            // Every row past the next multiple of the percentage is deleted.
            const bool deleted =
                (qint64(r) + 1) * size.deletedPercent / 100 > qint64(r) * size.deletedPercent / 100;
            (deleted ? table.deletedRows : table.rows).append(row);
        }
        db.tables.append(table);
    }
    for (int q = 0; q < size.queries; ++q) {
        JetWriterQuery query;
        query.name = QStringLiteral("Query%1").arg(q + 1, 4, 10, QLatin1Char('0'));
        const QString source = db.tables[q % size.tables].name;
        query.sources = {{source, {}}};
        query.outputs = {{QStringLiteral("[%1].[ID]").arg(source), {}, {}, -1},
                         {QStringLiteral("[%1].[Field001]").arg(source), {}, {}, -1}};
        query.where = QStringLiteral("[%1].[ID]>%2").arg(source).arg(q);
        db.queries.append(query);
    }
    // Modules shaped like typical code: each procedure has a Dim, a Const and a Call.
    for (int m = 0; m < size.modules; ++m) {
        JetWriterDocument module;
        module.name = QStringLiteral("Module%1").arg(m + 1, 4, 10, QLatin1Char('0'));
        module.kind = JetWriterDocument::Module;
        module.code = QStringLiteral(
            "Option Compare Database\r\nOption Explicit\r\nPrivate mCount As Long\r\n");
        for (int p = 0; p < size.procedures; ++p)
            module.code +=
                QStringLiteral("\r\n' Procedure %1\r\nPublic Function Proc%1(ByVal a As Long, "
                               "b As String) As Long\r\n    Dim i As Long, s As String\r\n"
                               "    Const LIMIT = 10\r\n    For i = 1 To LIMIT\r\n"
                               "        s = s & CStr(i) ' build\r\n    Next i\r\n"
                               "    Call Helper(a, s)\r\n    Proc%1 = Len(s)\r\nEnd Function\r\n")
                    .arg(p + 1);
        db.documents.append(module);
    }
    return db;
}
