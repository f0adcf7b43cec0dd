// The two workbook formats read back by independent readers (xlrd for
// .xls, openpyxl for .xlsx): typed cells, dates through their format, the
// bold header, the sheet's name, strings across record boundaries, the row
// limits, and nothing left at the path when an export fails.

#include "export/biffworkbookwriter.h"
#include "export/exportrows.h"
#include "export/xlsxworkbookwriter.h"
#include "exporttestsupport.h"
#include "host/vb/errors.h"
#include "support/testsupport.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

ListCursor typedRows()
{
    return ListCursor(
        {QStringLiteral("ID"), QStringLiteral("商品名"), QStringLiteral("単価"),
         QStringLiteral("受注日"), QStringLiteral("販売中止"), QStringLiteral("比率")},
        {{Value::longInt(1), Value(QStringLiteral("ボールペン　黒")), Value::currency(805000),
          Value::date(45296.0), Value::boolean(true), Value::dbl(0.125)},
         {Value::integer(-2), Value(QStringLiteral("say \"x\"\nnext")), Value::null(),
          Value::date(45296.75), Value::boolean(false), Value::single(0.1f)},
         {Value::longInt(2000000000), Value(QString()), Value::binary("\x01\x02"),
          Value::date(-3.5), Value::null(), Value::dbl(-1e-300)}});
}

QJsonArray row(const QJsonDocument &doc, int r)
{
    return doc.object().value(QLatin1String("rows")).toArray().at(r).toArray();
}

QString cellText(const QJsonDocument &doc, int r, int c)
{
    const QJsonValue v = row(doc, r).at(c).toArray().at(1);
    return v.isString() ? v.toString() : QString::number(v.toDouble(), 'g', 17);
}

int cellType(const QJsonDocument &doc, int r, int c)
{
    return row(doc, r).at(c).toArray().at(0).toInt(-1);
}

QString cellKind(const QJsonDocument &doc, int r, int c)
{
    return row(doc, r).at(c).toArray().at(0).toString();
}

qint64 exportTo(RowCursor &rows, const QString &object, const QString &path)
{
    const ExportFormat format =
        path.endsWith(QLatin1String(".xlsx")) ? ExportFormat::Excel2007 : ExportFormat::Excel97;
    return exportRows(rows, object, format, path, {});
}

} // namespace

TEST(Workbook, XlsCellsAreTypedAndTheHeaderBold)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.xls"));
    ListCursor rows = typedRows();
    EXPECT_EQ(exportTo(rows, QStringLiteral("受注/2024: [案]*?"), path), 3);
    const QJsonDocument doc = readXls(path);
    EXPECT_EQ(doc.object().value(QLatin1String("sheets")).toArray(),
              QJsonArray{QStringLiteral("受注_2024_ _案___")});
    EXPECT_EQ(doc.object().value(QLatin1String("datemode")).toInt(-1), 0);
    EXPECT_EQ(doc.object().value(QLatin1String("bold")).toArray(),
              QJsonArray({true, true, true, true, true, true}));
    EXPECT_EQ(cellText(doc, 0, 1), QStringLiteral("商品名"));
    // xlrd: 1 text, 2 number, 3 date (from the cell's format), 4 Boolean, 0 empty.
    EXPECT_EQ(cellType(doc, 1, 0), 2);
    EXPECT_EQ(cellText(doc, 1, 0), QStringLiteral("1"));
    EXPECT_EQ(cellType(doc, 1, 1), 1);
    EXPECT_EQ(cellText(doc, 1, 1), QStringLiteral("ボールペン　黒"));
    EXPECT_EQ(cellText(doc, 1, 2), QStringLiteral("80.5"));
    EXPECT_EQ(cellType(doc, 1, 3), 3);
    EXPECT_EQ(cellText(doc, 1, 3), QStringLiteral("45296"));
    EXPECT_EQ(cellType(doc, 1, 4), 4);
    EXPECT_EQ(cellText(doc, 1, 4), QStringLiteral("1"));
    EXPECT_EQ(cellText(doc, 1, 5), QStringLiteral("0.125"));
    EXPECT_EQ(cellText(doc, 2, 0), QStringLiteral("-2"));
    EXPECT_EQ(cellText(doc, 2, 1), QStringLiteral("say \"x\"\nnext"));
    EXPECT_EQ(cellType(doc, 2, 2), 0);
    EXPECT_EQ(cellType(doc, 2, 3), 3);
    EXPECT_EQ(cellText(doc, 2, 3), QStringLiteral("45296.75"));
    EXPECT_EQ(cellText(doc, 2, 5), QStringLiteral("0.10000000000000001"));
    EXPECT_EQ(cellText(doc, 3, 0), QStringLiteral("2000000000"));
    EXPECT_EQ(cellType(doc, 3, 1), 1);
    EXPECT_EQ(cellType(doc, 3, 2), 0); // binary has no cell
    // Before 1900 Excel has no serial: the date is written as text.
    EXPECT_EQ(cellType(doc, 3, 3), 1);
    EXPECT_EQ(cellText(doc, 3, 3), QStringLiteral("1899/12/27 12:00:00"));
    EXPECT_EQ(cellText(doc, 3, 5), QStringLiteral("-1e-300"));
    const QJsonArray formats = doc.object().value(QLatin1String("formats")).toArray();
    EXPECT_EQ(formats.at(6 + 3).toString(), QStringLiteral("yyyy/mm/dd"));
    EXPECT_EQ(formats.at(12 + 3).toString(), QStringLiteral("yyyy/mm/dd h:mm:ss"));
}

TEST(Workbook, XlsxCellsAreTypedAndTheHeaderBold)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.xlsx"));
    ListCursor rows = typedRows();
    EXPECT_EQ(exportTo(rows, QStringLiteral("'得意先'"), path), 3);
    const QJsonDocument doc = readXlsx(path);
    EXPECT_EQ(doc.object().value(QLatin1String("sheets")).toArray(),
              QJsonArray{QStringLiteral("得意先")});
    EXPECT_EQ(doc.object().value(QLatin1String("bold")).toArray(),
              QJsonArray({true, true, true, true, true, true}));
    EXPECT_EQ(cellKind(doc, 1, 0), QStringLiteral("n"));
    EXPECT_EQ(cellText(doc, 1, 1), QStringLiteral("ボールペン　黒"));
    EXPECT_EQ(cellKind(doc, 1, 1), QStringLiteral("s"));
    EXPECT_EQ(cellText(doc, 1, 2), QStringLiteral("80.5"));
    EXPECT_EQ(cellKind(doc, 1, 3), QStringLiteral("d"));
    EXPECT_EQ(cellText(doc, 1, 3), QStringLiteral("2024-01-05 00:00:00"));
    EXPECT_EQ(cellKind(doc, 1, 4), QStringLiteral("b"));
    EXPECT_EQ(cellText(doc, 2, 1), QStringLiteral("say \"x\"\nnext"));
    EXPECT_EQ(cellKind(doc, 2, 2), QString());
    EXPECT_EQ(cellText(doc, 2, 3), QStringLiteral("2024-01-05 18:00:00"));
    EXPECT_EQ(cellKind(doc, 3, 2), QString());
    EXPECT_EQ(cellText(doc, 3, 3), QStringLiteral("1899/12/27 12:00:00"));
}

TEST(Workbook, XlsStringsCrossRecordBoundariesAndLongTextIsCut)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("strings.xls"));
    // Long one- and two-byte strings split over CONTINUE records, then
    // enough short ones that EXTSST's buckets double several times.
    const QString latin = QString(20000, u'a') + QStringLiteral("é end");
    QString japanese;
    for (int i = 0; i < 9000; ++i)
        japanese += QChar(0x3042 + i % 80);
    const QString tooLong = QString(40000, u'x');
    const qint64 count = 3000;
    GeneratedCursor rows({QStringLiteral("text"), QStringLiteral("n")}, count, [&](qint64 r) {
        const QString text = r == 0   ? latin
                             : r == 1 ? japanese
                             : r == 2 ? tooLong
                                      : QStringLiteral("短い %1").arg(r);
        return QList<Value>{Value(text), Value::longInt(qint32(r))};
    });
    EXPECT_EQ(exportTo(rows, QStringLiteral("T"), path), count);
    const QJsonDocument doc = readXls(path);
    ASSERT_EQ(doc.object().value(QLatin1String("rows")).toArray().size(), count + 1);
    EXPECT_EQ(cellText(doc, 1, 0), latin);
    EXPECT_EQ(cellText(doc, 2, 0), japanese);
    EXPECT_EQ(cellText(doc, 3, 0), QString(32767, u'x'));
    for (qint64 r = 3; r < count; r += 97) {
        EXPECT_EQ(cellText(doc, int(r + 1), 0), QStringLiteral("短い %1").arg(r));
        EXPECT_EQ(cellText(doc, int(r + 1), 1), QString::number(r));
    }
    EXPECT_EQ(cellText(doc, int(count), 0), QStringLiteral("短い %1").arg(count - 1));
}

TEST(Workbook, SheetRowLimitsLeaveNothingAtThePath)
{
    QTemporaryDir dir;
    const QString xls = dir.filePath(QStringLiteral("big.xls"));
    const auto numbers = [](qint64 r) {
        QList<Value> values;
        for (int c = 0; c < 8; ++c)
            values.append(Value::dbl(r + c / 8.0 + 0.001));
        return values;
    };
    const QStringList names{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                            QStringLiteral("d"), QStringLiteral("e"), QStringLiteral("f"),
                            QStringLiteral("g"), QStringLiteral("h")};
    // The fullest sheet: a workbook stream of about 9 MB, whose FAT needs DIFAT sectors.
    GeneratedCursor full(names, Biff8SheetRows - 1, numbers);
    EXPECT_EQ(exportTo(full, QStringLiteral("T"), xls), Biff8SheetRows - 1);
    EXPECT_GT(QFileInfo(xls).size(), 109 * 128 * 512);
    const QJsonDocument doc = runPythonJson(QStringLiteral(R"(
import json, sys, xlrd
sheet = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)
print(json.dumps([sheet.nrows, sheet.cell_value(1, 0), sheet.cell_value(65535, 7),
                  sheet.cell_value(30000, 3)]))
)"),
                                            {xls});
    EXPECT_EQ(doc.array(),
              QJsonArray({65536, 0.001, 65534 + 7 / 8.0 + 0.001, 29999 + 3 / 8.0 + 0.001}));

    // One row more raises 31007 and leaves the earlier file as it was.
    const QByteArray before = fileBytes(xls);
    GeneratedCursor over(names, Biff8SheetRows, numbers);
    EXPECT_EQ(errorOf([&] { exportTo(over, QStringLiteral("T"), xls); }), int(Err::SheetRowLimit));
    EXPECT_EQ(fileBytes(xls), before);
    EXPECT_EQ(folderEntries(dir.path()), QStringList{QStringLiteral("big.xls")});

    const QString xlsx = dir.filePath(QStringLiteral("big.xlsx"));
    GeneratedCursor overXlsx({QStringLiteral("a")}, XlsxSheetRows,
                             [](qint64 r) { return QList<Value>{Value::longInt(qint32(r))}; });
    EXPECT_EQ(errorOf([&] { exportTo(overXlsx, QStringLiteral("T"), xlsx); }),
              int(Err::SheetRowLimit));
    EXPECT_EQ(folderEntries(dir.path()), QStringList{QStringLiteral("big.xls")});
}
