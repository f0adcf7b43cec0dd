// The text exports of the sample's forms, reports and macros
// (samples/hanbai/designs) against samples/hanbai.json and the module sources:
// block structure, data binding, event procedures and code-behind.

#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>
#include <iconv.h>
#include <map>
#include <vector>

namespace {

const QString sampleDir = QStringLiteral(QUILLMARK_SOURCE_DIR "/samples/");

// The exports are what Access writes on a Japanese system: CP932.
QString fromCp932(QByteArray bytes)
{
    iconv_t cd = iconv_open("UTF-8", "CP932");
    QByteArray out(bytes.size() * 3 + 4, '\0');
    char *in = bytes.data(), *to = out.data();
    size_t inLeft = bytes.size(), outLeft = out.size();
    const size_t r = iconv(cd, &in, &inLeft, &to, &outLeft);
    iconv_close(cd);
    return r == size_t(-1) ? QString() : QString::fromUtf8(out.constData(), to - out.data());
}

struct Node
{
    QString keyword;
    std::vector<std::pair<QString, QString>> props;
    std::vector<Node> children;
    QString prop(const QString &key) const
    {
        for (const auto &[k, v] : props)
            if (k == key)
                return v;
        return {};
    }
};

// A test-side reader of the SaveAsText line grammar; error is set on the first
// line it cannot take.
struct Reader
{
    QStringList lines;
    qsizetype at = 0;
    QString error;

    bool fail(const QString &why)
    {
        error = QStringLiteral("line %1: %2").arg(at).arg(why);
        return false;
    }
    bool unquote(const QString &s, QString &out)
    {
        if (s.size() < 2 || !s.startsWith(u'"') || !s.endsWith(u'"'))
            return fail(QStringLiteral("not a quoted string: ") + s);
        for (qsizetype i = 1; i + 1 < s.size(); ++i) {
            if (s[i] == u'"')
                return fail(QStringLiteral("bare quote"));
            if (s[i] != u'\\') {
                out += s[i];
            } else if (i + 2 < s.size() && (s[i + 1] == u'"' || s[i + 1] == u'\\')) {
                out += s[++i];
            } else if (i + 4 < s.size() && s.mid(i + 1, 3).toInt(nullptr, 8) > 0) {
                out += QChar(s.mid(i + 1, 3).toInt(nullptr, 8));
                i += 3;
            } else {
                return fail(QStringLiteral("bad escape"));
            }
        }
        return true;
    }
    // Reads the body of a block whose Begin line was consumed, up to its End.
    bool block(Node &node)
    {
        static const QRegularExpression number(QStringLiteral("^-?\\d+(\\.\\d+)?$"));
        static const QRegularExpression hex(QStringLiteral("^0x([0-9a-f]{2}){1,32}( ,)?$"));
        while (at < lines.size()) {
            const QString line = lines[at++].trimmed();
            if (line.isEmpty())
                continue;
            if (line == u"End")
                return true;
            if (line == u"Begin") { // a child list: its blocks belong to node
                Node list;
                if (!block(list))
                    return false;
                if (!list.props.empty())
                    return fail(QStringLiteral("property in a child list"));
                for (Node &c : list.children)
                    node.children.push_back(std::move(c));
                continue;
            }
            if (line.startsWith(u"Begin ")) {
                Node child{line.mid(6), {}, {}};
                if (!block(child))
                    return false;
                node.children.push_back(std::move(child));
                continue;
            }
            const qsizetype eq = line.indexOf(u" =");
            if (eq <= 0)
                return fail(QStringLiteral("not a property: ") + line);
            const QString key = line.left(eq), rest = line.mid(eq + 2);
            QString value;
            if (rest == u" Begin") { // hex lines; all but the last end with " ,"
                bool more = true;
                for (; at < lines.size() && lines[at].trimmed() != u"End"; ++at) {
                    const QString h = lines[at].trimmed();
                    if (!more || !hex.match(h).hasMatch())
                        return fail(QStringLiteral("bad binary line"));
                    more = h.endsWith(u',');
                    value += h.left(h.size() - (more ? 2 : 0)).mid(2);
                }
                if (at++ == lines.size() || more || value.isEmpty())
                    return fail(QStringLiteral("binary block not closed"));
            } else if (rest == u" NotDefault") {
                value = rest.trimmed();
            } else if (rest.startsWith(u'"')) { // continued chunks follow on their own lines
                if (!unquote(rest, value))
                    return false;
                while (at < lines.size() && lines[at].trimmed().startsWith(u'"'))
                    if (!unquote(lines[at++].trimmed(), value))
                        return false;
            } else if (number.match(rest).hasMatch()) {
                value = rest;
            } else {
                return fail(QStringLiteral("bad value: ") + line);
            }
            node.props.emplace_back(key, value);
        }
        return fail(QStringLiteral("missing End"));
    }
};

struct Export
{
    Node root;
    QString code; // after CodeBehindForm, LF line ends; null when absent
};

// Reads one export; structure faults become test failures.
Export readExport(const QString &path, const QString &keyword)
{
    Export e;
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    const QString text = fromCp932(f.readAll());
    EXPECT_FALSE(text.isEmpty()) << "not CP932: " << path.toStdString();
    EXPECT_EQ(text.count(u'\n'), text.count(QStringLiteral("\r\n"))) << path.toStdString();
    EXPECT_EQ(text.count(u'\r'), text.count(u'\n')) << path.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n"))) << path.toStdString();
    Reader r{text.split(QStringLiteral("\r\n")), 0, {}};
    if (keyword == u"Macro") {
        EXPECT_TRUE(r.lines.value(0).startsWith(u"Version =")) << path.toStdString();
        EXPECT_TRUE(r.lines.value(1).startsWith(u"ColumnsShown =")) << path.toStdString();
        for (r.at = 2; r.at < r.lines.size() - 1;) {
            Node row{QStringLiteral("Row"), {}, {}};
            EXPECT_EQ(r.lines[r.at++], u"Begin") << path.toStdString() << " line " << r.at;
            EXPECT_TRUE(r.block(row) && row.children.empty())
                << path.toStdString() << r.error.toStdString();
            e.root.children.push_back(row);
        }
        return e;
    }
    EXPECT_TRUE(r.lines.value(0).startsWith(u"Version =")) << path.toStdString();
    EXPECT_TRUE(r.lines.value(1).startsWith(u"VersionRequired =")) << path.toStdString();
    EXPECT_EQ(r.lines.value(2), QStringLiteral("Begin ") + keyword) << path.toStdString();
    e.root.keyword = keyword;
    r.at = 3;
    EXPECT_TRUE(r.block(e.root)) << path.toStdString() << ": " << r.error.toStdString();
    if (r.lines.value(r.at) == u"CodeBehindForm")
        e.code = r.lines.mid(r.at + 1).join(u'\n');
    else
        EXPECT_EQ(r.at, r.lines.size() - 1) << "text after the object: " << path.toStdString();
    return e;
}

void forEach(const Node &n, const std::function<void(const Node &)> &f)
{
    f(n);
    for (const Node &c : n.children)
        forEach(c, f);
}

// Sorted and joined, for readable failure messages.
std::string joined(QStringList items)
{
    items.sort();
    return items.join(QStringLiteral(", ")).toStdString();
}

QJsonArray list(const QJsonObject &o, const char *key)
{
    return o.value(QLatin1String(key)).toArray();
}

} // namespace

TEST(SampleDesigns, ExportsMatchTheSampleDatabaseAndItsModules)
{
    QFile jsonFile(sampleDir + QStringLiteral("hanbai.json"));
    ASSERT_TRUE(jsonFile.open(QIODevice::ReadOnly));
    const QJsonObject db = QJsonDocument::fromJson(jsonFile.readAll()).object();

    // Output fields of every table and select query; other queries are names only.
    std::map<QString, QSet<QString>> fields;
    QSet<QString> rowSources;
    for (const QJsonValue t : list(db, "tables")) {
        for (const QJsonValue c : list(t.toObject(), "columns"))
            fields[t[u"name"].toString()] << c[u"name"].toString();
        rowSources << t[u"name"].toString();
    }
    static const QRegularExpression lastName(QStringLiteral("\\[([^\\]]+)\\]$"));
    for (const QJsonValue q : list(db, "queries")) {
        const QJsonObject o = q.toObject();
        rowSources << o[u"name"].toString();
        if (o.contains(u"kind"))
            continue;
        QSet<QString> &out = fields[o[u"name"].toString()];
        if (o[u"allFields"].toBool())
            for (const QJsonValue from : list(o, "from"))
                out += fields[from.toString()];
        for (const QJsonValue c : list(o, "columns"))
            out << (c.isObject() && c[u"alias"].isString()
                        ? c[u"alias"].toString()
                        : lastName.match(c.isObject() ? c[u"expr"].toString() : c.toString())
                              .captured(1));
    }

    // Every catalogued object has exactly one export and nothing else is there.
    const QDir designs(sampleDir + QStringLiteral("hanbai/designs"));
    std::map<QString, std::map<QString, Export>> exports;
    std::map<QString, QString> codeFiles;
    const std::pair<const char *, const char *> kinds[] = {
        {"forms", "Form"}, {"reports", "Report"}, {"macros", "Macro"}};
    for (const auto &[folder, keyword] : kinds) {
        QStringList expected;
        for (const QJsonValue o : list(db, folder)) {
            expected << o[u"name"].toString() + QStringLiteral(".txt");
            codeFiles[o[u"name"].toString()] = o[u"codeFile"].toString();
        }
        const QStringList present =
            QDir(designs.filePath(QLatin1String(folder))).entryList(QDir::Files);
        EXPECT_EQ(joined(present), joined(expected)) << folder;
        for (const QString &file : present)
            exports[QLatin1String(keyword)][file.chopped(4)] = readExport(
                designs.filePath(QLatin1String(folder) + u'/' + file), QLatin1String(keyword));
    }
    EXPECT_EQ(joined(designs.entryList(QDir::AllEntries | QDir::NoDotAndDotDot)),
              "README.md, forms, macros, reports");

    std::map<QString, QSet<QString>> macroNames; // macro -> its MacroName rows
    for (const auto &[name, e] : exports[QStringLiteral("Macro")]) {
        macroNames[name];
        for (const Node &row : e.root.children) {
            if (!row.prop(QStringLiteral("MacroName")).isEmpty())
                macroNames[name] << row.prop(QStringLiteral("MacroName"));
            const QString action = row.prop(QStringLiteral("Action"));
            const QString target = row.prop(QStringLiteral("Argument"));
            if (action == u"OpenForm" || action == u"OpenReport") {
                EXPECT_TRUE(exports[action.mid(4)].count(target)) << target.toStdString();
            }
            if (action == u"OpenQuery") {
                EXPECT_TRUE(rowSources.contains(target)) << target.toStdString();
            }
        }
    }

    static const QRegularExpression sub(
        QStringLiteral("^(?:(?:Private|Public) )?Sub (\\S+)_([A-Za-z]+)\\("),
        QRegularExpression::MultilineOption);
    for (const QString &kind : {QStringLiteral("Form"), QStringLiteral("Report")}) {
        for (const auto &[name, e] : exports[kind]) {
            const std::string where = (kind + u' ' + name).toStdString();
            const QString source = e.root.prop(QStringLiteral("RecordSource"));
            EXPECT_TRUE(source.isEmpty() || fields.count(source))
                << where << " " << source.toStdString();
            const QSet<QString> bound = fields.count(source) ? fields.at(source) : QSet<QString>();

            QSet<QString> objects{kind}, handlers;
            forEach(e.root, [&](const Node &n) {
                const QString control = n.prop(QStringLiteral("Name"));
                const QString field = n.prop(QStringLiteral("ControlSource"));
                if (!field.isEmpty() && !field.startsWith(u'=')) {
                    EXPECT_TRUE(bound.contains(field)) << where << " " << field.toStdString();
                }
                if (n.prop(QStringLiteral("RowSourceType")) == u"Table/Query" &&
                    !n.prop(QStringLiteral("RowSource")).startsWith(u"SELECT ")) {
                    EXPECT_TRUE(rowSources.contains(n.prop(QStringLiteral("RowSource")))) << where;
                }
                const QString object = n.prop(QStringLiteral("SourceObject"));
                if (!object.isEmpty()) {
                    ASSERT_TRUE(object.startsWith(u"Form.")) << where;
                    const auto child = exports[kind].find(object.mid(5));
                    ASSERT_NE(child, exports[kind].end()) << where;
                    const QString childSource =
                        child->second.root.prop(QStringLiteral("RecordSource"));
                    EXPECT_TRUE(
                        fields[childSource].contains(n.prop(QStringLiteral("LinkChildFields"))));
                    EXPECT_TRUE(bound.contains(n.prop(QStringLiteral("LinkMasterFields"))))
                        << where;
                }
                if (!control.isEmpty())
                    objects << QString(control).replace(u' ', u'_');
                for (const auto &[key, value] : n.props) {
                    const QString event = key.startsWith(u"On") ? key.mid(2) : key;
                    if (value == u"[Event Procedure]") {
                        handlers << (&n == &e.root ? kind : control) + u'_' + event;
                    } else if (key != event || key.startsWith(u"Before") ||
                               key.startsWith(u"After")) {
                        if (value.startsWith(u'='))
                            continue;                                // an expression, not a macro
                        const QStringList macro = value.split(u'.'); // "Macro" or "Macro.Name"
                        EXPECT_TRUE(macroNames.count(macro[0]))
                            << where << " " << value.toStdString();
                        if (macro.size() == 2) {
                            EXPECT_TRUE(macroNames[macro[0]].contains(macro[1])) << where;
                        }
                    }
                }
            });

            // The code behind is the module source as written, after the class attributes.
            const QString codeFile = codeFiles[name];
            QSet<QString> procedures;
            if (codeFile.isEmpty()) {
                EXPECT_TRUE(e.code.isNull()) << where;
            } else {
                QFile bas(sampleDir + codeFile);
                ASSERT_TRUE(bas.open(QIODevice::ReadOnly)) << codeFile.toStdString();
                const QString head = QStringLiteral(
                    "Attribute VB_GlobalNameSpace = False\nAttribute VB_Creatable = True\n"
                    "Attribute VB_PredeclaredId = True\nAttribute VB_Exposed = False\n");
                EXPECT_EQ(e.code.toStdString(),
                          (head + QString::fromUtf8(bas.readAll())).toStdString())
                    << where;
                for (auto m = sub.globalMatch(e.code); m.hasNext();) {
                    const auto match = m.next();
                    if (objects.contains(match.captured(1)))
                        procedures << match.captured(1) + u'_' + match.captured(2);
                }
            }
            EXPECT_EQ(joined(handlers.values()), joined(procedures.values())) << where;
        }
    }
}
