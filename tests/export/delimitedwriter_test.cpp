// Delimited text byte for byte: the code pages, quotes, line ends, every
// value type, the field-name line, and an unencodable character that stops
// the export without touching the target.

#include "export/exportrows.h"
#include "exporttestsupport.h"
#include "host/vb/errors.h"
#include "support/testsupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray exported(const QTemporaryDir &dir, ListCursor rows, bool fieldNames,
                    const QString &codePage = QStringLiteral("CP932"))
{
    ExportOptions options;
    options.fieldNames = fieldNames;
    options.codePage = codePage;
    const QString path = dir.filePath(QStringLiteral("out.txt"));
    exportRows(rows, QStringLiteral("T"), ExportFormat::DelimitedText, path, options);
    return fileBytes(path);
}

ListCursor japaneseRows()
{
    return ListCursor({QStringLiteral("ID"), QStringLiteral("商品名")},
                      {{Value::longInt(1), Value(QStringLiteral("ボールペン　黒"))},
                       {Value::longInt(2), Value(QStringLiteral("あア漢①～"))}});
}

} // namespace

TEST(DelimitedWriter, WritesCp932OrUtf8WithItsMark)
{
    QTemporaryDir dir;
    EXPECT_EQ(exported(dir, japaneseRows(), true).toHex(),
              QByteArray("224944222c22"
                         "8fa4956996bc"
                         "220d0a" // "ID","商品名"
                         "312c22"
                         "837b815b838b8379839381408d95"
                         "220d0a"
                         "322c22"
                         "82a083418abf87408160"
                         "220d0a"));
    EXPECT_EQ(exported(dir, japaneseRows(), false, QStringLiteral("UTF-8")),
              QByteArray("\xEF\xBB\xBF") + QStringLiteral("1,\"ボールペン　黒\"\r\n"
                                                          "2,\"あア漢①～\"\r\n")
                                               .toUtf8());
}

TEST(DelimitedWriter, QuotesTextAndWritesEveryTypeAsDocumented)
{
    QTemporaryDir dir;
    const QStringList names{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                            QStringLiteral("d"), QStringLiteral("e"), QStringLiteral("f")};
    ListCursor rows(
        names, {{Value(QStringLiteral("He said \"hi\"")), Value(QStringLiteral("two\r\nlines")),
                 Value::null(), Value(QString()), Value::boolean(true), Value::boolean(false)},
                {Value::integer(-7), Value::longInt(2147483647), Value::single(0.1f),
                 Value::dbl(2.5), Value::currency(12345678), Value::currency(-5)},
                {Value::date(45296.0), Value::date(45296.5 + 1.0 / 86400), Value::date(0.75),
                 Value::date(-1.25), Value::binary(QByteArray("\x00\x01", 2)), Value::dbl(1e20)}});
    EXPECT_EQ(exported(dir, std::move(rows), true, QStringLiteral("UTF-8")),
              QByteArray("\xEF\xBB\xBF"
                         "\"a\",\"b\",\"c\",\"d\",\"e\",\"f\"\r\n"
                         "\"He said \"\"hi\"\"\",\"two\r\nlines\",,\"\",-1,0\r\n"
                         "-7,2147483647,0.1,2.5,1234.5678,-0.0005\r\n"
                         "2024/01/05 0:00:00,2024/01/05 12:00:01,1899/12/30 18:00:00,"
                         "1899/12/29 6:00:00,,1E+20\r\n"));
}

TEST(DelimitedWriter, AnUnencodableCharacterNamesRowAndFieldAndLeavesTheTargetAsItWas)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("out.txt"), "old contents");
    const auto attempt = [&](const QString &codePage, const QString &text) {
        ListCursor rows(
            {QStringLiteral("ID"), QStringLiteral("備考")},
            {{Value::longInt(1), Value(QStringLiteral("ok"))}, {Value::longInt(2), Value(text)}});
        ExportOptions options;
        options.codePage = codePage;
        try {
            exportRows(rows, QStringLiteral("T"), ExportFormat::DelimitedText, path, options);
        } catch (const HostError &error) {
            return error;
        }
        return HostError(Err(0), QString());
    };
    const HostError euro = attempt(QStringLiteral("CP932"), QStringLiteral("10 € only"));
    EXPECT_EQ(euro.number(), Err::NotEncodable);
    EXPECT_TRUE(euro.description().contains(QStringLiteral("Row 2, field \"備考\"")))
        << euro.description().toStdString();
    EXPECT_TRUE(euro.description().contains(QStringLiteral("U+20ac")));
    // Beyond the BMP, and in a single-byte code page.
    EXPECT_EQ(attempt(QStringLiteral("CP932"), QStringLiteral("😀")).number(), Err::NotEncodable);
    EXPECT_EQ(attempt(QStringLiteral("CP1252"), QStringLiteral("漢")).number(), Err::NotEncodable);
    EXPECT_EQ(attempt(QStringLiteral("CP1252"), QStringLiteral("café")).number(), Err(0));
    EXPECT_EQ(fileBytes(path), QByteArray("1,\"ok\"\r\n2,\"caf\xE9\"\r\n"));
    // An unknown code page, or one that is not ASCII-compatible, is refused before writing.
    writeFile(dir, QStringLiteral("out.txt"), "old contents");
    EXPECT_EQ(attempt(QStringLiteral("NO-SUCH-CODEPAGE"), QStringLiteral("x")).number(),
              Err::InvalidProcedureCall);
    EXPECT_EQ(attempt(QStringLiteral("UTF-16LE"), QStringLiteral("x")).number(),
              Err::InvalidProcedureCall);
    EXPECT_EQ(attempt(QStringLiteral("CP932//TRANSLIT"), QStringLiteral("€")).number(),
              Err::InvalidProcedureCall);
    EXPECT_EQ(fileBytes(path), QByteArray("old contents"));
    EXPECT_EQ(folderEntries(dir.path()), QStringList{QStringLiteral("out.txt")});
}

TEST(DelimitedWriter, BadPathsRaiseTheirNumbersAndLeaveNothing)
{
    QTemporaryDir dir;
    const auto attempt = [](const QString &path) {
        return errorOf([&] {
            ListCursor rows({QStringLiteral("a")}, {{Value::longInt(1)}});
            exportRows(rows, QStringLiteral("T"), ExportFormat::DelimitedText, path, {});
        });
    };
    EXPECT_EQ(attempt(QString()), int(Err::InvalidPath));
    EXPECT_EQ(attempt(dir.filePath(QStringLiteral("missing/out.txt"))), int(Err::InvalidPath));
    EXPECT_EQ(attempt(dir.path()), int(Err::PathFileAccess));
    const QString locked = dir.filePath(QStringLiteral("locked"));
    QDir().mkdir(locked);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    if (!QFileInfo(locked).isWritable()) { // root writes read-only folders
        EXPECT_EQ(attempt(locked + QStringLiteral("/out.txt")), int(Err::PathFileAccess));
        EXPECT_TRUE(folderEntries(locked).isEmpty());
    }
    // A read-only file is kept as it is.
    const QString readOnly = writeFile(dir, QStringLiteral("ro.txt"), "keep");
    QFile::setPermissions(readOnly, QFile::ReadOwner);
    EXPECT_EQ(attempt(readOnly), int(Err::PathFileAccess));
    EXPECT_EQ(fileBytes(readOnly), QByteArray("keep"));
}
