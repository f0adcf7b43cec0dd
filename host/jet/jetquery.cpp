#include "host/jet/jetquery.h"

#include <QRegularExpression>
#include <memory>

namespace {

const QString crlf = QStringLiteral("\r\n");

enum Attr {
    Kind = 1,
    Parameter = 2,
    Options = 3,
    SourceDb = 4,
    Input = 5,
    Output = 6,
    Join = 7,
    Where = 8,
    GroupBy = 9,
    Having = 10,
    OrderBy = 11
};

enum OptionBit {
    AllFields = 0x01,
    Distinct = 0x02,
    OwnerAccess = 0x04,
    DistinctRow = 0x08,
    Top = 0x10,
    Percent = 0x20
};

QList<JetQueryRow> rowsOf(const QList<JetQueryRow> &rows, int attribute)
{
    QList<JetQueryRow> out;
    for (const JetQueryRow &r : rows)
        if (r.attribute == attribute)
            out.append(r);
    return out;
}

const JetQueryRow *firstOf(const QList<JetQueryRow> &rows, int attribute)
{
    for (const JetQueryRow &r : rows)
        if (r.attribute == attribute)
            return &r;
    return nullptr;
}

int options(const QList<JetQueryRow> &rows)
{
    const JetQueryRow *r = firstOf(rows, Options);
    return r ? r->flag : 0;
}

// Stored text may end in NULs and carry bare LF or CR line breaks.
QString cleanText(QString text)
{
    while (text.endsWith(QChar(0)))
        text.chop(1);
    text.replace(crlf, QStringLiteral("\n")).replace(QChar('\r'), QChar('\n'));
    text.replace(QChar('\n'), crlf);
    return text.trimmed();
}

QString bracketDotted(const QString &name)
{
    if (name.startsWith(QLatin1Char('[')))
        return name;
    const QStringList parts = name.split(QLatin1Char('.'));
    QStringList out;
    for (const QString &p : parts)
        out.append(bracketName(p));
    return out.join(QLatin1Char('.'));
}

QString parameterName(const QString &name)
{
    if (name.startsWith(QLatin1Char('[')))
        return name;
    QStringList parts = name.split(QLatin1Char('!'));
    for (QString &p : parts)
        p = QLatin1Char('[') + p + QLatin1Char(']');
    return parts.join(QLatin1Char('!'));
}

QString parameterType(const JetQueryRow &r, bool jet3)
{
    switch (r.flag) {
    case 1:
        return QStringLiteral("Bit");
    case 2:
        return QStringLiteral("Byte");
    case 3:
        return QStringLiteral("Short");
    case 4:
        return QStringLiteral("Long");
    case 5:
        return QStringLiteral("Currency");
    case 6:
        return QStringLiteral("IEEESingle");
    case 7:
        return QStringLiteral("IEEEDouble");
    case 8:
        return QStringLiteral("DateTime");
    case 9:
        return QStringLiteral("Binary");
    case 10:
        if (jet3)
            return QStringLiteral("Text");
        return QStringLiteral("Text ( %1 )").arg(r.extra > 0 ? r.extra : 255);
    case 11:
        return QStringLiteral("LongBinary");
    case 12:
        return QStringLiteral("Memo");
    case 15:
        return QStringLiteral("Guid");
    default:
        return QStringLiteral("Value");
    }
}

QString parametersLine(const QList<JetQueryRow> &rows, bool jet3)
{
    QStringList params;
    for (const JetQueryRow &r : rowsOf(rows, Parameter))
        params.append(parameterName(r.name1) + QLatin1Char(' ') + parameterType(r, jet3));
    if (params.isEmpty())
        return QString();
    return QStringLiteral("PARAMETERS ") + params.join(QStringLiteral(", ")) + QLatin1Char(';') +
           crlf;
}

QString columnText(const JetQueryRow &r)
{
    if (r.name1.isEmpty())
        return r.expression;
    return r.expression + QStringLiteral(" AS ") + bracketName(r.name1);
}

// One item of the FROM list: a table or a join of two items.
struct FromItem
{
    QString key;  // alias or name, for a table
    QString text; // a table's text
    bool isJoin = false;
    int joinType = 0;
    QStringList conditions; // newest first
    std::shared_ptr<FromItem> left, right;

    bool contains(const QString &table) const
    {
        if (!isJoin)
            return key.compare(table, Qt::CaseInsensitive) == 0;
        return left->contains(table) || right->contains(table);
    }

    QString render(bool nested) const
    {
        if (!isJoin)
            return text;
        static const char *words[] = {" INNER JOIN ", " INNER JOIN ", " LEFT JOIN ",
                                      " RIGHT JOIN "};
        QString on;
        if (conditions.size() == 1) {
            on = conditions.first();
        } else {
            QStringList wrapped;
            for (const QString &c : conditions)
                wrapped.append(QLatin1Char('(') + c + QLatin1Char(')'));
            on = wrapped.join(QStringLiteral(" AND "));
        }
        const QString s = left->render(true) +
                          QLatin1String(words[joinType >= 1 && joinType <= 3 ? joinType : 0]) +
                          right->render(true) + QStringLiteral(" ON ") + on;
        return nested ? QLatin1Char('(') + s + QLatin1Char(')') : s;
    }
};

using FromPtr = std::shared_ptr<FromItem>;

FromPtr tableItem(const QString &name, const QString &alias, const QString &qualifier)
{
    auto item = std::make_shared<FromItem>();
    item->key = alias.isEmpty() ? name : alias;
    item->text = (qualifier.isEmpty() ? QString() : bracketName(qualifier) + QLatin1Char('.')) +
                 bracketDotted(name);
    if (!alias.isEmpty())
        item->text += QStringLiteral(" AS ") + bracketName(alias);
    return item;
}

QString fromList(const QList<JetQueryRow> &rows)
{
    QList<FromPtr> items;
    for (const JetQueryRow &r : rowsOf(rows, Input))
        items.append(tableItem(r.name1, r.name2, r.expression));
    const auto find = [&](const QString &table) {
        for (int i = 0; i < items.size(); ++i)
            if (items[i]->contains(table))
                return i;
        items.append(tableItem(table, QString(), QString()));
        return int(items.size() - 1);
    };
    for (const JetQueryRow &j : rowsOf(rows, Join)) {
        const int li = find(j.name1);
        const int ri = find(j.name2);
        if (li == ri) {
            FromPtr item = items[li];
            // Another condition between tables already joined this way.
            if (item->isJoin && item->joinType == j.flag)
                item->conditions.prepend(j.expression);
            continue;
        }
        auto join = std::make_shared<FromItem>();
        join->isJoin = true;
        join->joinType = j.flag;
        join->conditions = {j.expression};
        join->left = items[li];
        join->right = items[ri];
        const int at = std::min(li, ri);
        items.removeAt(std::max(li, ri));
        items[at] = join;
    }
    QStringList parts;
    for (const FromPtr &item : items)
        parts.append(item->render(false));
    QString out = parts.join(QStringLiteral(", "));
    if (const JetQueryRow *db = firstOf(rows, SourceDb)) {
        out += QStringLiteral(" IN '") + db->name1 + QLatin1Char('\'');
        if (!db->expression.isEmpty())
            out += QStringLiteral(" [") + db->expression + QLatin1Char(']');
    }
    return out;
}

QString joined(const QList<JetQueryRow> &rows, const QString &separator)
{
    QStringList parts;
    for (const JetQueryRow &r : rows)
        parts.append(r.expression);
    return parts.join(separator);
}

QString optionWords(const QList<JetQueryRow> &rows)
{
    const int opt = options(rows);
    QString words;
    if (opt & Distinct)
        words += QStringLiteral("DISTINCT ");
    else if (opt & DistinctRow)
        words += QStringLiteral("DISTINCTROW ");
    if (opt & Top) {
        const JetQueryRow *r = firstOf(rows, Options);
        words += QStringLiteral("TOP ") + r->name1 + QLatin1Char(' ');
        if (opt & Percent)
            words += QStringLiteral("PERCENT ");
    }
    return words;
}

QString columnList(const QList<JetQueryRow> &columns, const QList<JetQueryRow> &rows)
{
    QStringList parts;
    for (const JetQueryRow &r : columns)
        parts.append(columnText(r));
    if (options(rows) & AllFields)
        parts.append(QStringLiteral("*"));
    return parts.join(QStringLiteral(", "));
}

// FROM, WHERE, GROUP BY, HAVING, ORDER BY lines (each led by CR LF).
QString tailClauses(const QList<JetQueryRow> &rows, bool crosstab)
{
    QString out;
    if (firstOf(rows, Input) || firstOf(rows, Join))
        out += crlf + QStringLiteral("FROM ") + fromList(rows);
    const QList<JetQueryRow> where = rowsOf(rows, Where);
    if (!where.isEmpty())
        out += crlf + QStringLiteral("WHERE ") + joined(where, QStringLiteral(" AND "));
    QList<JetQueryRow> groups;
    for (const JetQueryRow &r : rowsOf(rows, GroupBy))
        if (!crosstab || r.flag != 1)
            groups.append(r);
    if (!groups.isEmpty())
        out += crlf + QStringLiteral("GROUP BY ") + joined(groups, QStringLiteral(", "));
    const QList<JetQueryRow> having = rowsOf(rows, Having);
    if (!having.isEmpty())
        out += crlf + QStringLiteral("HAVING ") + joined(having, QStringLiteral(" AND "));
    QStringList order;
    for (const JetQueryRow &r : rowsOf(rows, OrderBy))
        order.append(r.expression + (r.name1.compare(QLatin1String("D"), Qt::CaseInsensitive) == 0
                                         ? QStringLiteral(" DESC")
                                         : QString()));
    if (!order.isEmpty())
        out += crlf + QStringLiteral("ORDER BY ") + order.join(QStringLiteral(", "));
    return out;
}

QString ending(const QList<JetQueryRow> &rows)
{
    return (options(rows) & OwnerAccess) ? crlf + QStringLiteral("WITH OWNERACCESS OPTION;")
                                         : QStringLiteral(";");
}

QString targetText(const JetQueryRow *kind)
{
    if (!kind)
        return QString();
    QString out = bracketDotted(kind->name1);
    if (!kind->name2.isEmpty()) {
        out += QStringLiteral(" IN '") + kind->name2 + QLatin1Char('\'');
        if (!kind->expression.isEmpty())
            out += QStringLiteral(" [") + kind->expression + QLatin1Char(']');
    }
    return out;
}

QString selectSql(const QList<JetQueryRow> &rows, const QString &into)
{
    QString sql =
        QStringLiteral("SELECT ") + optionWords(rows) + columnList(rowsOf(rows, Output), rows);
    if (!into.isEmpty())
        sql += QStringLiteral(" INTO ") + into;
    return sql + tailClauses(rows, false);
}

QString unionSql(const QList<JetQueryRow> &rows)
{
    QString first, second;
    for (const JetQueryRow &r : rowsOf(rows, Input)) {
        if (r.name2.endsWith(QLatin1Char('1')) && first.isEmpty())
            first = cleanText(r.expression);
        else
            second = cleanText(r.expression);
    }
    QString sql =
        first + crlf +
        ((options(rows) & Distinct) ? QStringLiteral("UNION ") : QStringLiteral("UNION ALL ")) +
        second;
    QStringList order;
    for (const JetQueryRow &r : rowsOf(rows, OrderBy))
        order.append(r.expression +
                     (r.name1 == QLatin1String("D") ? QStringLiteral(" DESC") : QString()));
    if (!order.isEmpty())
        sql += crlf + QStringLiteral("ORDER BY ") + order.join(QStringLiteral(", "));
    return sql + QLatin1Char(';');
}

} // namespace

QString bracketName(const QString &name)
{
    static const QRegularExpression plain(QStringLiteral("^[\\w]+$"),
                                          QRegularExpression::UseUnicodePropertiesOption);
    if (name.isEmpty() || name.startsWith(QLatin1Char('[')) || name == QLatin1String("*"))
        return name;
    if (plain.match(name).hasMatch() && !name.at(0).isDigit())
        return name;
    return QLatin1Char('[') + name + QLatin1Char(']');
}

int daoQueryType(int kind)
{
    switch (kind) {
    case JetQueryKind::Crosstab:
        return 16;
    case JetQueryKind::Delete:
        return 32;
    case JetQueryKind::Update:
        return 48;
    case JetQueryKind::Append:
        return 64;
    case JetQueryKind::MakeTable:
        return 80;
    case JetQueryKind::DataDefinition:
        return 96;
    case JetQueryKind::PassThrough:
        return 112;
    case JetQueryKind::Union:
        return 128;
    default:
        return 0;
    }
}

int queryKind(const QList<JetQueryRow> &rows, int daoType)
{
    if (const JetQueryRow *r = firstOf(rows, Kind))
        if (r->flag >= JetQueryKind::Select && r->flag <= JetQueryKind::Union)
            return r->flag;
    for (int kind = JetQueryKind::Select; kind <= JetQueryKind::Union; ++kind)
        if (daoQueryType(kind) == daoType)
            return kind;
    return JetQueryKind::Select;
}

QString queryConnect(const QList<JetQueryRow> &rows)
{
    if (queryKind(rows, 0) != JetQueryKind::PassThrough)
        return QString();
    const JetQueryRow *r = firstOf(rows, Kind);
    return r ? r->name1 : QString();
}

QString buildQuerySql(const QList<JetQueryRow> &rows, int daoType, bool jet3)
{
    const JetQueryRow *kindRow = firstOf(rows, Kind);
    const int kind = queryKind(rows, daoType);
    switch (kind) {
    case JetQueryKind::DataDefinition:
    case JetQueryKind::PassThrough:
        return kindRow ? cleanText(kindRow->expression) : QString();
    case JetQueryKind::Union:
        return unionSql(rows);
    default:
        break;
    }

    QString sql = parametersLine(rows, jet3);
    switch (kind) {
    case JetQueryKind::MakeTable:
        sql += selectSql(rows, targetText(kindRow));
        break;
    case JetQueryKind::Append: {
        const QList<JetQueryRow> outputs = rowsOf(rows, Output);
        QStringList targets;
        bool values = false;
        for (const JetQueryRow &r : outputs) {
            if (!r.name2.isEmpty())
                targets.append(r.name2);
            values = values || (r.flag & 0x8000);
        }
        sql += QStringLiteral("INSERT INTO ") + targetText(kindRow);
        if (!targets.isEmpty())
            sql +=
                QStringLiteral(" ( ") + targets.join(QStringLiteral(", ")) + QStringLiteral(" )");
        if (values) {
            sql += crlf + QStringLiteral("VALUES (") + joined(outputs, QStringLiteral(", ")) +
                   QLatin1Char(')');
        } else {
            QList<JetQueryRow> plain;
            for (JetQueryRow r : outputs) {
                r.name2.clear();
                plain.append(r);
            }
            sql += crlf + QStringLiteral("SELECT ") + optionWords(rows) + columnList(plain, rows) +
                   tailClauses(rows, false);
        }
        break;
    }
    case JetQueryKind::Update: {
        QStringList sets;
        for (const JetQueryRow &r : rowsOf(rows, Output))
            sets.append(r.name2 + QStringLiteral(" = ") + r.expression);
        sql += QStringLiteral("UPDATE ") + optionWords(rows) + fromList(rows);
        // Access's SQL view keeps SET on the UPDATE line; only WHERE breaks it.
        if (!sets.isEmpty())
            sql += QStringLiteral(" SET ") + sets.join(QStringLiteral(", "));
        const QList<JetQueryRow> where = rowsOf(rows, Where);
        if (!where.isEmpty())
            sql += crlf + QStringLiteral("WHERE ") + joined(where, QStringLiteral(" AND "));
        break;
    }
    case JetQueryKind::Delete:
        sql += QStringLiteral("DELETE ") + optionWords(rows) +
               columnList(rowsOf(rows, Output), rows) + tailClauses(rows, false);
        break;
    case JetQueryKind::Crosstab: {
        QList<JetQueryRow> headings;
        const JetQueryRow *value = nullptr;
        const JetQueryRow *pivot = nullptr;
        for (const JetQueryRow &r : rows) {
            if (r.attribute != Output)
                continue;
            if (r.flag == 0 && !value)
                value = &r;
            else if (r.flag == 1 && !pivot)
                pivot = &r;
            else if (r.flag == 2)
                headings.append(r);
        }
        if (value)
            sql += QStringLiteral("TRANSFORM ") + columnText(*value) + crlf;
        sql += QStringLiteral("SELECT ") + optionWords(rows) + columnList(headings, rows) +
               tailClauses(rows, true);
        if (pivot)
            sql += crlf + QStringLiteral("PIVOT ") + pivot->expression;
        break;
    }
    default:
        sql += selectSql(rows, QString());
        break;
    }
    return sql + ending(rows);
}

QList<JetQueryOutput> queryOutputs(const QList<JetQueryRow> &rows, int daoType)
{
    const int kind = queryKind(rows, daoType);
    if (kind != JetQueryKind::Select && kind != JetQueryKind::MakeTable &&
        kind != JetQueryKind::Crosstab)
        return {};

    // alias (or name) -> table or query name
    QList<QPair<QString, QString>> inputs;
    for (const JetQueryRow &r : rowsOf(rows, Input))
        inputs.append({r.name2.isEmpty() ? r.name1 : r.name2, r.name1});
    const auto tableOf = [&](const QString &key) {
        for (const auto &in : inputs)
            if (in.first.compare(key, Qt::CaseInsensitive) == 0)
                return in.second;
        return key;
    };

    static const QRegularExpression ref(
        QStringLiteral("^(?:(?:\\[([^\\]]+)\\]|([\\w ]+))\\.)?(?:\\[([^\\]]+)\\]|(\\w+|\\*))$"),
        QRegularExpression::UseUnicodePropertiesOption);
    QList<JetQueryOutput> out;
    int unnamed = 0;
    for (const JetQueryRow &r : rows) {
        if (r.attribute != Output || (kind == JetQueryKind::Crosstab && r.flag != 2))
            continue;
        JetQueryOutput o;
        o.expression = r.expression;
        const auto m = ref.match(r.expression.trimmed());
        if (m.hasMatch()) {
            const QString table = m.captured(1) + m.captured(2);
            o.column = m.captured(3) + m.captured(4);
            o.table = table.isEmpty() ? QString() : tableOf(table);
        }
        o.name = !r.name1.isEmpty()    ? r.name1
                 : !o.column.isEmpty() ? o.column
                                       : QStringLiteral("Expr%1").arg(1000 + unnamed++);
        out.append(o);
    }
    if (options(rows) & AllFields) {
        for (const auto &in : inputs)
            out.append({QStringLiteral("*"), QStringLiteral("*"), in.second, QStringLiteral("*")});
    }
    return out;
}
