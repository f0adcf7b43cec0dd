// The SaveAsText parser on exports written here in Access's format, on
// damaged copies of them, and on the real exports (the sample's and the
// corpus's): every file parses, and damage raises 31001 naming file and line.

#include "host/design/exportparser.h"
#include "host/design/exporttext.h"
#include "host/vb/errors.h"
#include "support/testsupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStringEncoder>
#include <gtest/gtest.h>

namespace {

const char *const formExport = R"(Version =20
VersionRequired =20
Checksum =641994827
Begin Form
    Visible = NotDefault
    Width =8640
    AlternateBackShade =95.0
    ForeColor =-2147483630
    Caption ="Say \"hi\" C:\\x"
    RowSource ="SELECT a, b FROM t WHERE x = 'first chunk of eighty characters exactly ....'"
        " AND y = 2\015\012ORDER BY a"
    PrtMip = Begin
        0x6e0400006e040000 ,
        0xff10
    End
    OnClickEmMacro = Begin
        Version =196611
        Begin
            Action ="Beep"
        End
    End
    Begin
        Begin Label
            FontSize =9
        End
        Begin Section
            Height =2000
            Name ="Detail"
            Begin
                Begin TextBox

                    Name ="Text1"
                    Begin
                        Begin Label
                            Name ="Label1"
                        End
                    End
                End
            End
        End
    End
End
CodeBehindForm
Attribute VB_GlobalNameSpace = False
Option Compare Database
)";

ParsedExport parseText(const QString &text, const QString &file = QStringLiteral("t.txt"))
{
    return parseExport(text, file);
}

// The description of the 31001 a parse raises; empty when it parses.
QString damageOf(const QString &text)
{
    try {
        parseText(text);
    } catch (const HostError &e) {
        EXPECT_EQ(e.number(), Err::DesignNotReadable);
        return e.description();
    }
    return QString();
}

int countBlocks(const ExportBlock &block, const QString &keyword)
{
    int n = block.keyword == keyword ? 1 : 0;
    for (const ExportBlock &child : block.children)
        n += countBlocks(child, keyword);
    return n;
}

} // namespace

TEST(ExportParser, ReadsEveryKindOfLine)
{
    const ParsedExport file = parseText(QString::fromUtf8(formExport));
    ASSERT_EQ(file.header.size(), 3);
    EXPECT_EQ(file.header[2].key, QStringLiteral("Checksum"));
    EXPECT_EQ(file.header[2].value.integer, 641994827);
    ASSERT_EQ(file.blocks.size(), 1);
    const ExportBlock &form = file.blocks[0];
    EXPECT_EQ(form.keyword, QStringLiteral("Form"));
    EXPECT_EQ(form.line, 4);

    EXPECT_EQ(form.find(u"Visible")->value.kind, ExportValue::Kind::NotDefault);
    EXPECT_EQ(form.find(u"Width")->value.integer, 8640);
    EXPECT_EQ(form.find(u"Width")->line, 6);
    EXPECT_EQ(form.find(u"AlternateBackShade")->value.kind, ExportValue::Kind::Real);
    EXPECT_DOUBLE_EQ(form.find(u"AlternateBackShade")->value.real, 95.0);
    EXPECT_EQ(form.find(u"ForeColor")->value.integer, -2147483630LL);
    EXPECT_EQ(form.find(u"Caption")->value.text, QStringLiteral("Say \"hi\" C:\\x"));
    EXPECT_EQ(form.find(u"RowSource")->value.text,
              QStringLiteral("SELECT a, b FROM t WHERE x = 'first chunk of eighty characters "
                             "exactly ....' AND y = 2\r\nORDER BY a"));
    EXPECT_EQ(form.find(u"PrtMip")->value.bytes, QByteArray::fromHex("6e0400006e040000ff10"));
    const ExportProperty *macro = form.find(u"OnClickEmMacro");
    ASSERT_TRUE(macro);
    EXPECT_EQ(macro->value.kind, ExportValue::Kind::Macro);
    EXPECT_TRUE(macro->value.text.contains(QStringLiteral("Action =\"Beep\"")));

    // The anonymous child list is flattened: defaults, then the section.
    ASSERT_EQ(form.children.size(), 2);
    EXPECT_EQ(form.children[0].keyword, QStringLiteral("Label"));
    const ExportBlock &detail = form.children[1];
    EXPECT_EQ(detail.find(u"Name")->value.text, QStringLiteral("Detail"));
    ASSERT_EQ(detail.children.size(), 1);
    EXPECT_EQ(detail.children[0].children[0].find(u"Name")->value.text, QStringLiteral("Label1"));
    EXPECT_EQ(countBlocks(form, QStringLiteral("Label")), 2);

    EXPECT_TRUE(file.hasCodeBehind);
    EXPECT_EQ(file.codeBehind,
              QStringLiteral("Attribute VB_GlobalNameSpace = False\r\nOption Compare Database"));
}

TEST(ExportParser, ReadsMacroRows)
{
    const ParsedExport file =
        parseText(QStringLiteral("Version =196611\nColumnsShown =0\n"
                                 "Begin\n    Action =\"OpenForm\"\n"
                                 "    Argument =\"Main\"\n    Argument =\"\"\n"
                                 "End\nBegin\nEnd\n"));
    ASSERT_EQ(file.blocks.size(), 2);
    EXPECT_TRUE(file.blocks[0].keyword.isEmpty());
    ASSERT_EQ(file.blocks[0].properties.size(), 3);
    EXPECT_EQ(file.blocks[0].properties[2].value.text, QString());
    EXPECT_TRUE(file.blocks[1].properties.isEmpty());
    EXPECT_FALSE(file.hasCodeBehind);
}

TEST(ExportParser, DecodesEveryEncodingAndLineEnd)
{
    const QString text =
        QStringLiteral("Begin Form\r\n    Caption =\"受注入力 Müller\"\r\nEnd\r\n");
    QStringEncoder utf16(QStringConverter::Utf16LE);
    const QByteArray cp932 = QByteArray::fromHex("8ef3928d93fc97cd"); // 受注入力
    const struct
    {
        const char *name;
        QByteArray bytes;
        const char *codePage;
        QString caption;
    } cases[] = {
        {"utf-16 le with mark", QByteArray("\xFF\xFE") + QByteArray(utf16.encode(text)), "CP1252",
         QStringLiteral("受注入力 Müller")},
        {"utf-8 with mark", QByteArray("\xEF\xBB\xBF") + text.toUtf8(), "CP1252",
         QStringLiteral("受注入力 Müller")},
        {"utf-8, lf", text.toUtf8().replace("\r\n", "\n"), "CP1252",
         QStringLiteral("受注入力 Müller")},
        {"cp932", "Begin Form\r\n    Caption =\"" + cp932 + "\\\\\"\r\nEnd\r\n", "CP932",
         QStringLiteral("受注入力\\")},
        {"cp1252", QByteArray("Begin Form\n    Caption =\"M\xFCller\"\nEnd\n"), "CP1252",
         QStringLiteral("Müller")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const ParsedExport file = parseExportBytes(c.bytes, QStringLiteral("x.txt"), c.codePage);
        ASSERT_EQ(file.blocks.size(), 1);
        EXPECT_EQ(file.blocks[0].find(u"Caption")->value.text, c.caption);
    }
    // The second byte of 表 (0x95 0x5C) is not a backslash once decoded.
    const QByteArray hyo = "Begin Report\r\n    Caption =\"\x95\x5c\"\r\nEnd\r\n";
    EXPECT_EQ(parseExportBytes(hyo, QStringLiteral("r.txt"), "CP932")
                  .blocks[0]
                  .find(u"Caption")
                  ->value.text,
              QStringLiteral("表"));
    EXPECT_EQ(errorOf([] { parseExportBytes("\xFF\xFE\x41", QStringLiteral("odd"), "CP1252"); }),
              int(Err::DesignNotReadable));
}

TEST(ExportParser, DamageNamesFileAndLine)
{
    const QString good = QString::fromUtf8(formExport);
    const struct
    {
        const char *name;
        QString text;
        const char *expected;
    } cases[] = {
        {"truncated inside a block", good.left(good.indexOf(QStringLiteral("CodeBehindForm")) - 5),
         "ends inside the block begun on line 4"},
        {"bad hex", QString(good).replace(QStringLiteral("0xff10"), QStringLiteral("0xfg10")),
         "line 14: bad hex digit"},
        {"odd hex", QString(good).replace(QStringLiteral("0xff10"), QStringLiteral("0xff1")),
         "line 14: bad hex line"},
        {"comma before End",
         QString(good).replace(QStringLiteral("0xff10"), QStringLiteral("0xff10 ,")),
         "line 15: binary data ends after a continuation comma"},
        {"unterminated string",
         QString(good).replace(QStringLiteral("Width =8640"), QStringLiteral("Width =\"8640")),
         "t.txt, line 6: unterminated string"},
        {"a value of the wrong kind",
         QString(good).replace(QStringLiteral("Width =8640"), QStringLiteral("Width =Wide")),
         "line 6: Width: not a number"},
        {"bad escape", QString(good).replace(QStringLiteral("C:\\\\x"), QStringLiteral("C:\\x")),
         "line 9: bad escape"},
        {"stray End", QStringLiteral("End\n") + good, "line 1: End without Begin"},
        {"not a line", QStringLiteral("Begin Form\n    what is this\nEnd\n"),
         "line 2: not a line of the export format"},
        {"property in a child list", QStringLiteral("Begin Form\nBegin\nWidth =1\nEnd\nEnd\n"),
         "line 3: a property inside a child list"},
        {"too deep", QStringLiteral("Begin Form\n") + QStringLiteral("Begin Label\n").repeated(200),
         "nested deeper"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString damage = damageOf(c.text);
        EXPECT_TRUE(damage.startsWith(QStringLiteral("t.txt, line "))) << damage.toStdString();
        EXPECT_TRUE(damage.contains(QString::fromUtf8(c.expected))) << damage.toStdString();
    }
}

TEST(ExportParser, CutAndFlippedExportsNeverCrash)
{
    const QByteArray good = QByteArray(formExport);
    for (qsizetype size = 0; size <= good.size(); size += 7) {
        try {
            parseExportBytes(good.left(size), QStringLiteral("cut"), "CP1252");
        } catch (const HostError &e) {
            EXPECT_EQ(e.number(), Err::DesignNotReadable);
        }
    }
    for (qsizetype at = 0; at < good.size(); at += 3) {
        QByteArray bad = good;
        bad[at] = char(bad[at] ^ 0x45);
        try {
            parseExportBytes(bad, QStringLiteral("flipped"), "CP932");
        } catch (const HostError &e) {
            EXPECT_EQ(e.number(), Err::DesignNotReadable);
        }
    }
}

// Real exports: every form and report parses, to a single top-level object.
TEST(ExportParser, SampleAndCorpusExportsParse)
{
    struct Folder
    {
        QString path;
        const char *codePage;
    };
    QList<Folder> folders{
        {QStringLiteral(QUILLMARK_SOURCE_DIR "/samples/hanbai/designs"), "CP932"}};
    if (!corpusDir().isEmpty())
        folders.append({corpusFile(QStringLiteral("exports")), "CP1252"});
    int parsed = 0;
    for (const Folder &folder : folders) {
        QDirIterator it(folder.path, {QStringLiteral("*.txt"), QStringLiteral("*.acc*")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            SCOPED_TRACE(path.toStdString());
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            if (path.endsWith(QLatin1String("README.md")))
                continue;
            ParsedExport parsedFile;
            try {
                parsedFile = parseExportBytes(file.readAll(), path, folder.codePage);
            } catch (const HostError &e) {
                ADD_FAILURE() << e.description().toStdString();
                continue;
            }
            ASSERT_FALSE(parsedFile.blocks.isEmpty());
            const QString top = parsedFile.blocks[0].keyword;
            if (!top.isEmpty()) {
                EXPECT_EQ(parsedFile.blocks.size(), 1);
                EXPECT_TRUE(top == QLatin1String("Form") || top == QLatin1String("Report"));
            }
            ++parsed;
        }
    }
    EXPECT_GE(parsed, 11);
}
