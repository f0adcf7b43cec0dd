// Modules read from the corpus files themselves, for each storage: module
// counts and kinds, procedures by a plain scan of the source, visible lines.

#include "host/jet/vbasource.h"
#include "host/vb/errors.h"
#include "support/testsupport.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Figures
{
    int standard = 0, classes = 0, documents = 0, procedures = 0, ends = 0, lines = 0;
};

Figures scan(const QList<ModuleText> &modules)
{
    static const QRegularExpression header(
        QStringLiteral("^((Public|Private|Friend|Static)\\s+)*(Sub|Function|Property)\\s"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression end(QStringLiteral("\\bEnd (Sub|Function|Property)\\b"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression attribute(QStringLiteral("^Attribute\\s+(\\w+\\.)?VB_"));
    Figures f;
    for (const ModuleText &m : modules) {
        EXPECT_TRUE(m.error.isEmpty()) << m.error.toStdString();
        (m.kind == ModuleText::Kind::Standard ? f.standard
         : m.kind == ModuleText::Kind::Class  ? f.classes
                                              : f.documents)++;
        QStringList lines = m.source.split(QStringLiteral("\r\n"));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        for (const QString &raw : lines) {
            if (attribute.match(raw).hasMatch())
                continue;
            const QString line = raw.trimmed();
            ++f.lines;
            if (header.match(line).hasMatch())
                ++f.procedures;
            const QString code =
                line.left(line.indexOf(u'\'') < 0 ? line.size() : line.indexOf(u'\''));
            if (end.match(code).hasMatch())
                ++f.ends;
        }
    }
    return f;
}

} // namespace

TEST(VbaSource, CorpusFilesGiveTheKnownModules)
{
    if (corpusDir().isEmpty())
        GTEST_SKIP() << "no corpus";
    struct Expected
    {
        const char *file;
        const char *storage;
        int codePage, standard, classes, documents, procedures, lines;
    };
    const Expected expected[] = {
        {"jet3/AlteraImpressora.mdb", "MSysModules2", 1252, 2, 0, 1, 8, 252},
        {"jet3/DisableShiftKey.mdb", "MSysModules2", 1252, 0, 0, 2, 6, 70},
        {"jet3/ListaArquivosDir.mdb", "MSysModules2", 1252, 0, 0, 1, 2, 50},
        {"jet3/MinimizaApp.mdb", "MSysModules2", 1252, 1, 0, 0, 2, 20},
        {"jet3/Nwind_variant.mdb", "MSysModules2", 1252, 3, 0, 12, 46, 923},
        {"jet3/nwind.mdb", "MSysModules2", 1252, 3, 0, 12, 46, 923},
        {"jet3/afr.mdb", "MSysModules2", 1252, 4, 0, 5, 38, 1345},
        {"jet4/ListaArquivosDir_2003.mdb", "MSysAccessStorage", 1252, 0, 0, 1, 2, 50},
        {"jet4/Matriz.mdb", "MSysAccessStorage", 1252, 8, 2, 6, 118, 3442},
        {"jet4/MinimizaApp_2003.mdb", "MSysAccessStorage", 1252, 1, 0, 0, 2, 20},
        {"jet4/Northwind.mdb", "MSysAccessObjects", 1252, 2, 0, 12, 55, 1008},
        {"jet4/Strings.mdb", "MSysAccessStorage", 1251, 5, 2, 12, 486, 18128},
        {"ace/Access_Example_VBA.accdb", "MSysAccessStorage", 1252, 11, 1, 21, 344, 11267},
        {"ace/TreeView2.accdb", "MSysAccessStorage", 1252, 1, 0, 1, 10, 112},
    };
    for (const Expected &e : expected) {
        SCOPED_TRACE(e.file);
        JetModuleSource source(corpusFile(QString::fromUtf8(e.file)));
        const QList<ModuleText> modules = source.modules();
        const Figures f = scan(modules);
        EXPECT_EQ(source.storage(), QLatin1String(e.storage));
        EXPECT_EQ(source.codePage(), e.codePage);
        EXPECT_EQ(f.standard, e.standard);
        EXPECT_EQ(f.classes, e.classes);
        EXPECT_EQ(f.documents, e.documents);
        EXPECT_EQ(f.procedures, e.procedures);
        EXPECT_EQ(f.ends, e.procedures);
        EXPECT_EQ(f.lines, e.lines);
    }

    // Names come from the dir stream (spaces kept), Cyrillic decodes.
    JetModuleSource northwind(corpusFile(QStringLiteral("jet4/Northwind.mdb")));
    QStringList names;
    for (const ModuleText &m : northwind.modules())
        names << m.name;
    EXPECT_TRUE(names.contains(QStringLiteral("Form_Sales by Year Dialog")))
        << names.join(u',').toStdString();
    JetModuleSource strings(corpusFile(QStringLiteral("jet4/Strings.mdb")));
    bool cyrillic = false;
    for (const ModuleText &m : strings.modules())
        cyrillic = cyrillic || m.source.contains(QRegularExpression(QStringLiteral("[А-Яа-я]")));
    EXPECT_TRUE(cyrillic);
}

TEST(VbaSource, JapaneseProjectDecodesWithItsCodePage)
{
    const QString path = corpusFile(QStringLiteral("ace/勤怠比較_ver3_2.accdb"));
    if (corpusDir().isEmpty() || !QFile::exists(path))
        GTEST_SKIP() << "no corpus";
    JetModuleSource source(path);
    const Figures f = scan(source.modules());
    EXPECT_EQ(source.codePage(), 932);
    EXPECT_EQ(source.modules().size(), 4);
    EXPECT_GE(f.documents, 1);
    EXPECT_EQ(f.lines, 2103);
    EXPECT_EQ(f.ends, f.procedures);
    bool japanese = false;
    for (const ModuleText &m : source.modules())
        japanese =
            japanese || m.source.contains(QRegularExpression(QStringLiteral("[ぁ-んァ-ン一-龥]")));
    EXPECT_TRUE(japanese);
    for (const ModuleText &m : source.modules())
        EXPECT_FALSE(m.source.contains(QChar(0xFFFD))) << m.name.toStdString();
}

TEST(VbaSource, EveryCorpusFileReadsOrFailsCleanly)
{
    if (corpusDir().isEmpty())
        GTEST_SKIP() << "no corpus";
    int read = 0;
    QDirIterator it(corpusDir(), {QStringLiteral("*.mdb"), QStringLiteral("*.accdb")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        SCOPED_TRACE(path.toStdString());
        try {
            JetModuleSource source(path);
            for (const ModuleText &m : source.modules())
                EXPECT_TRUE(m.error.isEmpty()) << m.error.toStdString();
            ++read;
        } catch (const HostError &e) {
            // Only files the Jet reader itself refuses (encrypted, not a database).
            EXPECT_TRUE(path.contains(u"invalid/") || path.contains(u"office-agile") ||
                        e.code() != int(Err::DesignNotReadable))
                << e.code() << " " << e.description().toStdString();
        }
    }
    EXPECT_GT(read, 40);
}

TEST(VbaSource, StorageWithoutItsProjectStreamStillListsModules)
{
    const QString path = corpusFile(QStringLiteral("jet4/ListaArquivosDir_2003.mdb"));
    if (path.isEmpty())
        GTEST_SKIP() << "no corpus";
    QFile in(path);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    QByteArray bytes = in.readAll();
    // Renaming every UCS-2 "PROJECT" hides the PROJECT stream, which names
    // each module's kind; the fuzzer found this once ended the process.
    const QByteArray from = QByteArray("P\0R\0O\0J\0E\0C\0T\0", 14);
    const QByteArray to = QByteArray("P\0R\0O\0J\0E\0X\0T\0", 14);
    ASSERT_GT(bytes.count(from), 0);
    bytes.replace(from, to);
    QTemporaryDir dir;
    JetModuleSource source(writeFile(dir, QStringLiteral("noproject.mdb"), bytes));
    const QList<ModuleText> modules = source.modules();
    ASSERT_EQ(modules.size(), 1);
    EXPECT_EQ(modules[0].kind, ModuleText::Kind::Class);
    EXPECT_TRUE(modules[0].error.isEmpty()) << modules[0].error.toStdString();
    EXPECT_TRUE(modules[0].source.contains(QStringLiteral("End Sub")));
}
