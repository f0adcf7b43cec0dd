// The rich-text table read back: by a small reader of our own (control
// words, groups, \uN escapes, cells and rows), and by LibreOffice
// (converted to text, every cell compared; skipped where it is not installed).

#include "export/exportrows.h"
#include "export/rtfwriter.h"
#include "exporttestsupport.h"
#include "support/testsupport.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// What a reader of RTF sees of a table: the text of each cell, row by row,
// the font table's entries, whether each row's first cell was bold, and
// whether the file holds only ASCII bytes. Ignores destinations marked
// \* and the font table's text (kept aside).
struct RtfTable
{
    QList<QStringList> rows;
    QList<bool> boldRows;
    QStringList fonts;
    QList<int> cellEdges; // \cellx of the first row
    bool asciiOnly = true;
    bool balanced = true;
};

RtfTable readRtf(const QByteArray &rtf)
{
    RtfTable table;
    QStringList row;
    QString cell, fontText;
    bool bold = false, rowBold = false, firstCell = true;
    int depth = 0, fontTableDepth = -1, skipDepth = -1;
    int ucSkip = 0;
    for (char c : rtf)
        table.asciiOnly = table.asciiOnly && uchar(c) < 0x80;
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        const char c = rtf[i];
        const bool skipping = skipDepth >= 0;
        if (c == '{') {
            ++depth;
            continue;
        }
        if (c == '}') {
            if (depth == skipDepth)
                skipDepth = -1;
            if (depth == fontTableDepth + 1 && fontTableDepth >= 0 && !fontText.isEmpty()) {
                table.fonts << fontText.trimmed();
                fontText.clear();
            }
            if (depth == fontTableDepth)
                fontTableDepth = -1;
            --depth;
            table.balanced = table.balanced && depth >= 0;
            continue;
        }
        if (c == '\r' || c == '\n')
            continue;
        QString *text = fontTableDepth >= 0 ? &fontText : &cell;
        if (c != '\\') {
            if (ucSkip > 0) {
                --ucSkip;
                continue;
            }
            if (!skipping)
                *text += QChar(uchar(c));
            continue;
        }
        // A control symbol or word.
        const char next = i + 1 < rtf.size() ? rtf[i + 1] : '\0';
        if (next == '\\' || next == '{' || next == '}') {
            if (!skipping)
                *text += QChar(next);
            ++i;
            continue;
        }
        if (next == '*') {
            skipDepth = depth;
            ++i;
            continue;
        }
        qsizetype j = i + 1;
        while (j < rtf.size() && std::isalpha(uchar(rtf[j])))
            ++j;
        const QByteArray word = rtf.mid(i + 1, j - i - 1);
        qsizetype k = j;
        if (k < rtf.size() && (rtf[k] == '-' || std::isdigit(uchar(rtf[k]))))
            ++k;
        while (k < rtf.size() && std::isdigit(uchar(rtf[k])))
            ++k;
        const QByteArray number = rtf.mid(j, k - j);
        if (k < rtf.size() && rtf[k] == ' ')
            ++k;
        i = k - 1;
        if (skipping)
            continue;
        if (word == "fonttbl")
            fontTableDepth = depth;
        else if (word == "u") {
            *text += QChar(char16_t(qint16(number.toInt())));
            ucSkip = 1;
        } else if (word == "b")
            bold = number != "0";
        else if (word == "plain")
            bold = false;
        else if (word == "line")
            *text += u'\n';
        else if (word == "tab")
            *text += u'\t';
        else if (word == "cellx" && table.rows.isEmpty() && row.isEmpty())
            table.cellEdges << number.toInt();
        else if (word == "cell") {
            if (firstCell)
                rowBold = bold;
            firstCell = false;
            row << cell;
            cell.clear();
        } else if (word == "row") {
            table.rows << row;
            table.boldRows << rowBold;
            row.clear();
            firstCell = true;
        }
    }
    table.balanced = table.balanced && depth == 0;
    return table;
}

QByteArray exportRtf(const QTemporaryDir &dir, RowCursor &rows)
{
    const QString path = dir.filePath(QStringLiteral("out.rtf"));
    exportRows(rows, QStringLiteral("T"), ExportFormat::RichText, path, {});
    return fileBytes(path);
}

} // namespace

TEST(RtfWriter, IsATableOfEscapedCellsWithABoldHeaderAndAJapaneseFont)
{
    QTemporaryDir dir;
    ListCursor rows({QStringLiteral("ID"), QStringLiteral("商品名"), QStringLiteral("備考")},
                    {{Value::longInt(1), Value(QStringLiteral("ボールペン　黒")),
                      Value(QStringLiteral("a {b} \\c\r\nnext\tline"))},
                     {Value::dbl(2.5), Value::date(45296.5), Value::boolean(true)},
                     {Value::null(), Value(QStringLiteral("😀 🎉")), Value::binary("x")}});
    const RtfTable table = readRtf(exportRtf(dir, rows));
    EXPECT_TRUE(table.asciiOnly);
    EXPECT_TRUE(table.balanced);
    ASSERT_EQ(table.rows.size(), 4);
    EXPECT_EQ(table.rows[0], (QStringList{QStringLiteral("ID"), QStringLiteral("商品名"),
                                          QStringLiteral("備考")}));
    EXPECT_EQ(table.rows[1], (QStringList{QStringLiteral("1"), QStringLiteral("ボールペン　黒"),
                                          QStringLiteral("a {b} \\c\nnext\tline")}));
    EXPECT_EQ(table.rows[2],
              (QStringList{QStringLiteral("2.5"), QStringLiteral("2024/01/05 12:00:00"),
                           QStringLiteral("Yes")}));
    EXPECT_EQ(table.rows[3], (QStringList{QString(), QStringLiteral("😀 🎉"), QString()}));
    EXPECT_EQ(table.boldRows, (QList<bool>{true, false, false, false}));
    ASSERT_FALSE(table.fonts.isEmpty());
    EXPECT_TRUE(table.fonts[0].startsWith(QStringLiteral("MS Mincho")))
        << table.fonts[0].toStdString();
    EXPECT_TRUE(exportRtf(dir, rows).contains("\\fcharset128"));
}

TEST(RtfWriter, ColumnWidthsFollowTheFirstRowsOnly)
{
    QTemporaryDir dir;
    // Row 0 is wide; a row after the sample is wider still but does not count.
    GeneratedCursor rows(
        {QStringLiteral("a"), QStringLiteral("b")}, RtfWriter::SampleRows + 50, [](qint64 r) {
            return QList<Value>{
                Value(r == 0 ? QString(20, u'x') : QStringLiteral("y")),
                Value(r == RtfWriter::SampleRows + 10 ? QString(30, u'漢') : QStringLiteral("z"))};
        });
    const RtfTable table = readRtf(exportRtf(dir, rows));
    EXPECT_EQ(table.rows.size(), RtfWriter::SampleRows + 51);
    ASSERT_EQ(table.cellEdges.size(), 2);
    const int first = table.cellEdges[0], second = table.cellEdges[1] - table.cellEdges[0];
    EXPECT_GT(first, second);
    EXPECT_GE(second, 600);
    EXPECT_EQ(table.rows[RtfWriter::SampleRows + 11][1], QString(30, u'漢'));
}

TEST(RtfWriter, LibreOfficeReadsTheSameCells)
{
    if (libreOffice().isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed; the reader above checks the table";
    QTemporaryDir dir;
    const QList<QList<Value>> values{
        {Value::longInt(7), Value(QStringLiteral("ボールペン　黒")), Value::date(45296.5)},
        {Value::null(), Value(QStringLiteral("a {b} \\c ～①")), Value::boolean(false)},
        {Value::dbl(-2.25), Value(QStringLiteral("😀")), Value(QStringLiteral("end"))}};
    ListCursor rows({QStringLiteral("ID"), QStringLiteral("商品名"), QStringLiteral("日付")},
                    values);
    exportRtf(dir, rows);
    ASSERT_TRUE(convertWithLibreOffice(dir.path(), QStringLiteral("txt:Text (encoded):UTF8"),
                                       {QStringLiteral("out.rtf")}));
    // LibreOffice writes a table's text one cell per line, row by row.
    QString text = QString::fromUtf8(fileBytes(dir.filePath(QStringLiteral("out.txt"))));
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    QStringList lines = text.split(QRegularExpression(QStringLiteral("\\r?\\n")));
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    EXPECT_EQ(lines,
              (QStringList{QStringLiteral("ID"), QStringLiteral("商品名"), QStringLiteral("日付"),
                           QStringLiteral("7"), QStringLiteral("ボールペン　黒"),
                           QStringLiteral("2024/01/05 12:00:00"), QString(),
                           QStringLiteral("a {b} \\c ～①"), QStringLiteral("No"),
                           QStringLiteral("-2.25"), QStringLiteral("😀"), QStringLiteral("end")}));
}
