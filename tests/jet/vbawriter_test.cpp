// The VBA project the writer stores: the compressor against the published
// examples and our decompressor, the compound file against our reader,
// libgsf's and the tree rules validating readers enforce, and whole
// databases read back by JetModuleSource.

#include "host/jet/jetsource.h"
#include "host/jet/vbaformat.h"
#include "host/jet/vbasource.h"
#include "host/jet/write/cfbwriter.h"
#include "host/jet/write/jetwriter.h"
#include "host/jet/write/jetwriterdesc.h"
#include "host/jet/write/vbawriter.h"
#include "host/vb/errors.h"
#include "support/testsupport.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>
#include <functional>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-utils.h>
#include <gtest/gtest.h>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

QString visibleText(const QString &stored)
{
    QStringList lines = stored.split(QStringLiteral("\r\n"));
    while (!lines.isEmpty() && lines.first().startsWith(QLatin1String("Attribute VB_")))
        lines.removeFirst();
    return lines.join(QStringLiteral("\r\n"));
}

int attributeLines(const QString &stored)
{
    return int(stored.split(QStringLiteral("\r\n")).size() -
               visibleText(stored).split(QStringLiteral("\r\n")).size());
}

JetWriterDocument document(const QString &name, JetWriterDocument::Kind kind, const QString &code,
                           bool classModule = false)
{
    JetWriterDocument d;
    d.name = name;
    d.kind = kind;
    d.code = code;
    d.hasCode = !code.isEmpty();
    d.classModule = classModule;
    return d;
}

// A stream as libgsf, a compound-file reader sharing no code with ours,
// reads it; "<missing>" when a name on the path is absent.
QByteArray gsfStream(const QByteArray &file, const QStringList &path)
{
    gsf_init();
    GError *error = nullptr;
    GsfInput *memory = gsf_input_memory_new(reinterpret_cast<const guint8 *>(file.constData()),
                                            file.size(), FALSE);
    GsfInfile *root = gsf_infile_msole_new(memory, &error);
    g_object_unref(memory);
    if (!root) {
        const QByteArray message = error ? QByteArray(error->message) : QByteArray("no message");
        g_clear_error(&error);
        return "<unreadable: " + message + ">";
    }
    GsfInput *at = GSF_INPUT(root);
    QByteArray out;
    for (const QString &name : path) {
        GsfInput *child = gsf_infile_child_by_name(GSF_INFILE(at), name.toUtf8().constData());
        g_object_unref(at);
        if (!child)
            return "<missing>";
        at = child;
    }
    const auto size = gsf_input_size(at);
    if (size > 0) {
        const guint8 *bytes = gsf_input_read(at, size_t(size), nullptr);
        if (bytes)
            out = QByteArray(reinterpret_cast<const char *>(bytes), qsizetype(size));
    }
    g_object_unref(at);
    return out;
}

} // namespace

TEST(VbaWriter, CompressorGivesThePublishedContainersAndInvertsTheDecompressor)
{
    // The two published examples, byte for byte.
    EXPECT_EQ(ovbaCompress("abcdefghijklmnopqrstuv."),
              hex("01 19 B0 00 61 62 63 64 65 66 67 68 00 69 6A 6B 6C 6D 6E 6F 70 00 71 72 73 74 "
                  "75 76 2E"));
    EXPECT_EQ(ovbaCompress("#aaabcdefaaaaghijaaaaaklaaamnopqaaaaaaaaaaaarstuvwxyzaaa"),
              hex("01 2F B0 00 23 61 61 61 62 63 64 65 82 66 00 70 61 67 68 69 6A 01 38 08 61 6B "
                  "6C 00 20 6D 6E 6F 70 06 71 02 70 04 00 72 73 74 75 76 10 77 78 79 7A 00 2C"));

    QByteArray random(3 * 4096, Qt::Uninitialized);
    QRandomGenerator generator(7);
    for (char &c : random)
        c = char(generator.bounded(256));
    QString text;
    for (int i = 0; i < 400; ++i)
        text +=
            QStringLiteral("    合計 = 合計 + 明細(%1).単価 * 数量 ' 行 %1\r\n").arg(i * 37 % 101);
    const QByteArray sjis = encodeCodePage(text, 932, QStringLiteral("text"));
    const struct
    {
        const char *what;
        QByteArray data;
        bool shrinks;
    } cases[] = {
        {"empty", QByteArray(), false},
        {"one byte", QByteArray("x"), false},
        {"one chunk of one byte repeated", QByteArray(4096, 'a'), true},
        {"a chunk and one byte", QByteArray(4097, 'a'), true},
        {"long runs reach the 12-bit offsets", QByteArray(4000, 'a') + "b" + QByteArray(9000, 'a'),
         true},
        {"incompressible whole chunks stay raw", random, false},
        {"CP932 source over several chunks", sjis, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray packed = ovbaCompress(c.data);
        EXPECT_EQ(ovbaDecompress(packed), c.data);
        if (c.shrinks) {
            EXPECT_LT(packed.size(), c.data.size() / 4);
        }
    }
}

TEST(VbaWriter, CompoundFileHoldsEveryStreamInValidSiblingTrees)
{
    QList<CompoundStream> streams;
    for (int i = 0; i < 37; ++i) // enough siblings for a tree four levels deep
        streams.append({{QStringLiteral("Store"), QStringLiteral("S%1").arg(i * 7919 % 1000)},
                        QByteArray(i * 61, char('A' + i % 26))});
    streams.append({{QStringLiteral("Big")}, QByteArray(70000, 'z')}); // two FAT sectors
    streams.append({{QStringLiteral("Exactly4096")}, QByteArray(4096, 'q')});
    streams.append({{QStringLiteral("Mini4095")}, QByteArray(4095, 'm')});
    streams.append({{QStringLiteral("Empty")}, QByteArray()});
    streams.append(
        {{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("模块")}, QByteArray("deep")});
    const QByteArray file = buildCompoundFile(streams);
    ASSERT_EQ(file.size() % 512, 0);

    const CompoundFile cfb(file);
    for (const CompoundStream &s : streams) {
        SCOPED_TRACE(s.path.join(u'/').toStdString());
        EXPECT_EQ(cfb.stream(s.path), s.data);
        EXPECT_EQ(gsfStream(file, s.path), s.data);
    }
    EXPECT_FALSE(cfb.hasEntry({QStringLiteral("Store"), QStringLiteral("S1")}));

    // Every sibling tree is ordered (shorter names first, then without
    // case), has no red child under a red node and one black height.
    const quint32 dirStart = qFromLittleEndian<quint32>(file.constData() + 0x30);
    QByteArray directory;
    QList<quint32> fat;
    for (quint32 i = 0; i < qFromLittleEndian<quint32>(file.constData() + 0x2C); ++i) {
        const quint32 s = qFromLittleEndian<quint32>(file.constData() + 0x4C + 4 * i);
        for (int j = 0; j < 128; ++j)
            fat << qFromLittleEndian<quint32>(file.constData() + 512 * (s + 1) + 4 * j);
    }
    for (quint32 s = dirStart; s < 0xFFFFFFFA; s = fat[s])
        directory += file.mid(512 * (s + 1), 512);
    struct Entry
    {
        QString name;
        quint32 left, right, child;
        bool red;
        int type;
    };
    QList<Entry> entries;
    for (qsizetype at = 0; at + 128 <= directory.size(); at += 128) {
        const char *e = directory.constData() + at;
        const int nameBytes = qFromLittleEndian<quint16>(e + 0x40);
        entries.append(
            {QString::fromUtf16(reinterpret_cast<const char16_t *>(e), qMax(0, nameBytes / 2 - 1)),
             qFromLittleEndian<quint32>(e + 0x44), qFromLittleEndian<quint32>(e + 0x48),
             qFromLittleEndian<quint32>(e + 0x4C), e[0x43] == 0, int(uchar(e[0x42]))});
    }
    const auto less = [](const QString &a, const QString &b) {
        return a.size() != b.size() ? a.size() < b.size() : a.toUpper() < b.toUpper();
    };
    // Returns the black height; checks order against the bounds.
    std::function<int(quint32, const QString *, const QString *, bool)> check =
        [&](quint32 i, const QString *lo, const QString *hi, bool parentRed) -> int {
        if (i == 0xFFFFFFFF)
            return 1;
        const Entry &e = entries[int(i)];
        EXPECT_FALSE(parentRed && e.red) << e.name.toStdString();
        if (lo) {
            EXPECT_TRUE(less(*lo, e.name)) << e.name.toStdString();
        }
        if (hi) {
            EXPECT_TRUE(less(e.name, *hi)) << e.name.toStdString();
        }
        const int l = check(e.left, lo, &e.name, e.red);
        const int r = check(e.right, &e.name, hi, e.red);
        EXPECT_EQ(l, r) << "black heights differ below " << e.name.toStdString();
        return l + (e.red ? 0 : 1);
    };
    int trees = 0;
    for (const Entry &e : entries)
        if ((e.type == 1 || e.type == 5) && e.child != 0xFFFFFFFF) {
            ++trees;
            EXPECT_FALSE(entries[int(e.child)].red) << "the root of a tree is black";
            check(e.child, nullptr, nullptr, false);
        }
    EXPECT_EQ(trees, 4); // root, Store, A, A/B

    EXPECT_EQ(errorOf([] { buildCompoundFile({{{QString(32, u'n')}, QByteArray("x")}}); }), 3000);

    // A whole project as libgsf sees it: the dir stream names every module.
    const QByteArray project =
        buildVbaProjectFile({{QStringLiteral("Module1"), ModuleText::Kind::Standard, QString()},
                             {QStringLiteral("Form_受注"), ModuleText::Kind::Document, QString()}},
                            QStringLiteral("Project"), 932);
    const VbaDir dir = parseDirStream(
        ovbaDecompress(gsfStream(project, {QStringLiteral("VBA"), QStringLiteral("VBAProject"),
                                           QStringLiteral("VBA"), QStringLiteral("dir")})));
    ASSERT_EQ(dir.modules.size(), 2);
    EXPECT_EQ(dir.codePage, 932);
    EXPECT_EQ(dir.modules[1].unicodeName, QStringLiteral("Form_受注"));
    EXPECT_FALSE(dir.modules[1].procedural);
    EXPECT_FALSE(gsfStream(project, {QStringLiteral("VBA"), QStringLiteral("VBAProject"),
                                     QStringLiteral("VBA"), dir.modules[1].unicodeStream})
                     .startsWith("<"));
}

TEST(VbaWriter, ModulesOfEveryKindReadBackThroughJetModuleSource)
{
    JetWriterDatabase db;
    db.vbaProjectName = QStringLiteral("販売");
    db.vbaCodePage = 932;
    QString big = QStringLiteral("Option Compare Database\n");
    for (int i = 0; i < 300; ++i)
        big +=
            QStringLiteral("Public Function 計算%1(ByVal x As Long) As Long\n    計算%1 = x * %1 "
                           "' ソ表能 の 0x5C を含む文字\nEnd Function\n")
                .arg(i);
    db.documents = {
        document(QStringLiteral("共通関数"), JetWriterDocument::Module, big),
        document(
            QStringLiteral("clsInvoice"), JetWriterDocument::Module,
            QStringLiteral("Private m As Currency\r\nPublic Property Get 合計() As Currency\r\n"
                           "    合計 = m\r\nEnd Property"),
            true),
        document(QStringLiteral("得意先 入力"), JetWriterDocument::Form,
                 QStringLiteral("Private Sub Form_Load()\n    Me.Caption = \"得意先\"\nEnd Sub\n")),
        document(QStringLiteral("ﾒﾆｭｰ"), JetWriterDocument::Form, QString()), // no module
        document(QStringLiteral("売上"), JetWriterDocument::Report, QString()),
        document(QStringLiteral("AutoExec"), JetWriterDocument::Macro, QString()),
    };
    db.documents[4].hasCode = true; // a report module with no lines
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vba.mdb"));
    writeJetDatabase(db, path);

    JetModuleSource source(path);
    const QList<ModuleText> modules = source.modules();
    EXPECT_EQ(source.storage(), QStringLiteral("MSysAccessObjects"));
    EXPECT_EQ(source.codePage(), 932);
    const struct
    {
        QString name;
        ModuleText::Kind kind;
        int attributes;
        QString visible;
    } expected[] = {
        {QStringLiteral("共通関数"), ModuleText::Kind::Standard, 1,
         QString(big).replace(u'\n', QStringLiteral("\r\n"))},
        {QStringLiteral("clsInvoice"), ModuleText::Kind::Class, 5,
         db.documents[1].code + QStringLiteral("\r\n")},
        {QStringLiteral("Form_得意先 入力"), ModuleText::Kind::Document, 8,
         QString(db.documents[2].code).replace(u'\n', QStringLiteral("\r\n"))},
        {QStringLiteral("Report_売上"), ModuleText::Kind::Document, 8, QString()},
    };
    ASSERT_EQ(modules.size(), std::size(expected));
    for (int i = 0; i < modules.size(); ++i) {
        SCOPED_TRACE(expected[i].name.toStdString());
        EXPECT_EQ(modules[i].name, expected[i].name);
        EXPECT_EQ(modules[i].kind, expected[i].kind);
        EXPECT_TRUE(modules[i].error.isEmpty()) << modules[i].error.toStdString();
        EXPECT_EQ(visibleText(modules[i].source), expected[i].visible);
        EXPECT_EQ(attributeLines(modules[i].source), expected[i].attributes);
        EXPECT_TRUE(modules[i].source.startsWith(
            QStringLiteral("Attribute VB_Name = \"%1\"\r\n").arg(expected[i].name)));
    }

    // mdbtools counts the storage rows our reader placed: a header and the chunks.
    auto rows = JetSource::open(path)->readTable(QStringLiteral("MSysAccessObjects"));
    int read = 0;
    while (rows.next())
        ++read;
    EXPECT_GE(read, 4); // the big module alone needs more than two chunks
    QProcess count;
    count.start(QStringLiteral("mdb-count"), {path, QStringLiteral("MSysAccessObjects")});
    ASSERT_TRUE(count.waitForFinished(60000));
    EXPECT_EQ(count.readAllStandardOutput().trimmed().toInt(), read);
}

TEST(VbaWriter, ProjectsTheCodePageCannotHoldAreRefused)
{
    JetWriterDatabase db;
    db.documents = {document(QStringLiteral("Module1"), JetWriterDocument::Module,
                             QStringLiteral("' 日本語は CP1252 にない"))};
    db.vbaCodePage = 1252;
    EXPECT_EQ(errorOf([&] { buildJetDatabase(db); }), 3000);
    db.vbaCodePage = 0; // chosen: 932 holds it
    EXPECT_EQ(errorOf([&] { buildJetDatabase(db); }), 0);
    db.documents.append(document(QStringLiteral("한국어"), JetWriterDocument::Module, QString()));
    EXPECT_EQ(errorOf([&] { buildJetDatabase(db); }), 3000); // neither 1252 nor 932 holds Hangul
    db.documents.removeLast();
    db.documents.append(
        document(QStringLiteral("MODULE1"), JetWriterDocument::Module, QStringLiteral("' twice")));
    EXPECT_EQ(errorOf([&] { buildJetDatabase(db); }), 3000);
}

TEST(VbaWriter, TheSampleDescriptionCarriesModulesWithProcedures)
{
    QFile json(QStringLiteral(QUILLMARK_SOURCE_DIR "/samples/sample.json"));
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    const JetWriterDatabase db =
        parseJetDescription(json.readAll(), QStringLiteral(QUILLMARK_SOURCE_DIR "/samples"));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sample.mdb"));
    writeJetDatabase(db, path);

    QHash<QString, ModuleText::Kind> kinds;
    for (const ModuleText &m : JetModuleSource(path).modules()) {
        EXPECT_TRUE(m.error.isEmpty()) << m.name.toStdString();
        // Every procedure is closed: the source decoded whole.
        const QString text = visibleText(m.source);
        static const QRegularExpression opens(
            QStringLiteral("^(Public |Private )?(Sub|Function|Property Get) "),
            QRegularExpression::MultilineOption);
        static const QRegularExpression closes(QStringLiteral("^End (Sub|Function|Property)"),
                                               QRegularExpression::MultilineOption);
        EXPECT_GT(text.count(opens), 0) << m.name.toStdString();
        EXPECT_EQ(text.count(opens), text.count(closes)) << m.name.toStdString();
        kinds.insert(m.name, m.kind);
    }
    EXPECT_EQ(kinds.value(QStringLiteral("共通関数")), ModuleText::Kind::Standard);
    EXPECT_EQ(kinds.value(QStringLiteral("clsInvoice")), ModuleText::Kind::Class);
    EXPECT_EQ(kinds.value(QStringLiteral("Form_得意先入力")), ModuleText::Kind::Document);
    EXPECT_EQ(kinds.value(QStringLiteral("Report_売上報告書")), ModuleText::Kind::Document);
    EXPECT_EQ(kinds.size(), 4);
}
