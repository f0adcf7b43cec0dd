// quillmark-cli export run as a program: its argument checks, its errors,
// and every table of the Japanese sample written as .xls and read back by
// xlrd against what mdb-export reads from the same file.

#include "exporttestsupport.h"
#include "support/testsupport.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct CliRun
{
    int status = -1;
    QString err;
};

CliRun cli(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(QUILLMARK_CLI), QStringList{QStringLiteral("export")} + args);
    p.waitForFinished(300000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardError())};
}

QString sample()
{
    return QStringLiteral(QUILLMARK_SAMPLES_DIR "/hanbai.mdb");
}

// Each cell of the sheet as text: dates as yyyy/MM/dd HH:mm:ss, Booleans
// 1 or 0, numbers in Python's shortest form.
QJsonDocument xlsCellTexts(const QString &path)
{
    static const QString script = QStringLiteral(R"(
import json, sys, xlrd
book = xlrd.open_workbook(sys.argv[1])
sheet = book.sheet_by_index(0)
def text(c):
    if c.ctype == xlrd.XL_CELL_DATE:
        return xlrd.xldate_as_datetime(c.value, book.datemode).strftime("%Y/%m/%d %H:%M:%S")
    if c.ctype == xlrd.XL_CELL_BOOLEAN:
        return "1" if c.value else "0"
    if c.ctype == xlrd.XL_CELL_NUMBER:
        return repr(c.value)
    if c.ctype == xlrd.XL_CELL_EMPTY:
        return None
    return c.value
print(json.dumps({"sheet": book.sheet_names()[0],
                  "rows": [[text(c) for c in sheet.row(r)] for r in range(sheet.nrows)]}))
)");
    return runPythonJson(script, {path});
}

} // namespace

TEST(CliExport, RefusesWrongArgumentsAndReportsHostErrors)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.csv"));
    const QString t = QStringLiteral("--table"), f = QStringLiteral("--format"),
                  o = QStringLiteral("--out");
    for (const QStringList &args :
         {QStringList{t, QStringLiteral("商品"), f, QStringLiteral("csv"), o, out},
          QStringList{sample(), f, QStringLiteral("csv"), o, out},
          QStringList{sample(), t, QStringLiteral("a"), QStringLiteral("--query"),
                      QStringLiteral("b"), f, QStringLiteral("csv"), o, out},
          QStringList{sample(), t, QStringLiteral("商品"), f, QStringLiteral("pdf"), o, out},
          QStringList{sample(), t, QStringLiteral("商品"), f, QStringLiteral("csv")},
          QStringList{sample(), t, QStringLiteral("商品"), f, QStringLiteral("csv"), o, out,
                      QStringLiteral("--encoding"), QStringLiteral("NOPE")},
          QStringList{sample(), t, QStringLiteral("商品"), f, QStringLiteral("xls"), o, out,
                      QStringLiteral("--field-names")},
          QStringList{sample(), t, QStringLiteral("商品"), f, QStringLiteral("csv"), o, out,
                      QStringLiteral("--param"), QStringLiteral("novalue")}}) {
        SCOPED_TRACE(args.join(u' ').toStdString());
        EXPECT_EQ(cli(args).status, 2);
    }
    EXPECT_TRUE(folderEntries(dir.path()).isEmpty());

    const CliRun missing =
        cli({sample(), t, QStringLiteral("無い表"), f, QStringLiteral("csv"), o, out});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("CSVSave: error 3011")))
        << missing.err.toStdString();
    const CliRun noFolder = cli({sample(), t, QStringLiteral("商品"), f, QStringLiteral("rtf"), o,
                                 dir.filePath(QStringLiteral("no/such.rtf"))});
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_TRUE(noFolder.err.contains(QStringLiteral("RTFSave: error 3044")));
    const CliRun noDatabase = cli({dir.filePath(QStringLiteral("none.mdb")), t,
                                   QStringLiteral("商品"), f, QStringLiteral("xls"), o, out});
    EXPECT_EQ(noDatabase.status, 1);
    EXPECT_TRUE(noDatabase.err.contains(QStringLiteral("error 3024")));
    EXPECT_TRUE(folderEntries(dir.path()).isEmpty());

    const CliRun ok = cli({sample(), t, QStringLiteral("商品"), f, QStringLiteral("csv"), o, out,
                           QStringLiteral("--field-names"), QStringLiteral("--encoding"),
                           QStringLiteral("UTF-8")});
    EXPECT_EQ(ok.status, 0) << ok.err.toStdString();
    EXPECT_TRUE(fileBytes(out).startsWith("\xEF\xBB\xBF\"商品ID\",\"商品名\""));
}

TEST(CliExport, EverySampleTableReadsBackFromXlsAsMdbExportReadsIt)
{
    if (!QFileInfo::exists(sample()))
        GTEST_SKIP() << "the sample database is not built";
    QProcess tables;
    tables.start(QStringLiteral("mdb-tables"), {QStringLiteral("-1"), sample()});
    tables.waitForFinished();
    const QStringList names =
        QString::fromUtf8(tables.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_GE(names.size(), 5);
    QTemporaryDir dir;
    for (const QString &table : names) {
        SCOPED_TRACE(table.toStdString());
        const QString out = dir.filePath(table + QStringLiteral(".xls"));
        const CliRun run =
            cli({sample(), QStringLiteral("--table"), table, QStringLiteral("--format"),
                 QStringLiteral("xls"), QStringLiteral("--out"), out});
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        const QJsonDocument sheet = xlsCellTexts(out);
        EXPECT_EQ(sheet.object().value(QLatin1String("sheet")).toString(), table);
        const QJsonArray rows = sheet.object().value(QLatin1String("rows")).toArray();
        const QList<QStringList> expected = mdbExportRows(sample(), table, QStringLiteral("CP932"));
        ASSERT_EQ(rows.size(), expected.size());
        for (qsizetype r = 0; r < expected.size(); ++r) {
            const QJsonArray cells = rows[r].toArray();
            for (qsizetype c = 0; c < expected[r].size(); ++c) {
                const QString want = expected[r][c];
                const QJsonValue got = cells.at(c);
                if (want == MdbNull) {
                    EXPECT_TRUE(got.isNull()) << r << "," << c;
                } else if (!sameNumber(got.toString(), want)) {
                    EXPECT_EQ(got.toString(), want) << r << "," << c;
                }
            }
        }
    }
}

TEST(CliExport, QueriesRunWithTheirParametersAndActionQueriesAreRefused)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("q.csv"));
    const auto exportQuery = [&](const QString &query, const QStringList &more) {
        return cli(QStringList{sample(), QStringLiteral("--query"), query,
                               QStringLiteral("--format"), QStringLiteral("csv"),
                               QStringLiteral("--out"), out, QStringLiteral("--field-names"),
                               QStringLiteral("--encoding"), QStringLiteral("UTF-8")} +
                   more);
    };
    const auto records = [&] {
        const QByteArray bytes = fileBytes(out);
        EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
        return parseDelimited(QString::fromUtf8(bytes.mid(3)));
    };
    // The top ten by price, against the product table read by mdb-export.
    ASSERT_EQ(exportQuery(QStringLiteral("高額商品上位10"), {}).status, 0);
    QList<QStringList> products =
        mdbExportRows(sample(), QStringLiteral("商品"), QStringLiteral("CP932"));
    const qsizetype name = products[0].indexOf(QStringLiteral("商品名"));
    const qsizetype price = products[0].indexOf(QStringLiteral("単価"));
    products.removeFirst();
    std::stable_sort(products.begin(), products.end(),
                     [&](const QStringList &a, const QStringList &b) {
                         return a[price].toDouble() > b[price].toDouble();
                     });
    const QList<QList<DelimitedField>> top = records();
    ASSERT_EQ(top.size(), 11);
    EXPECT_EQ(top[0][0].text, QStringLiteral("商品名"));
    EXPECT_EQ(top[1][0].text, products[0][name]);
    EXPECT_TRUE(sameNumber(top[1][1].text, products[0][price]));

    // A parameter query: the orders of April 1997.
    const CliRun noValues = exportQuery(QStringLiteral("期間の受注"), {});
    EXPECT_EQ(noValues.status, 1);
    EXPECT_TRUE(noValues.err.contains(QStringLiteral("[開始日]"))) << noValues.err.toStdString();
    const CliRun april =
        exportQuery(QStringLiteral("期間の受注"),
                    {QStringLiteral("--param"), QStringLiteral("開始日=1997/04/01"),
                     QStringLiteral("--param"), QStringLiteral("終了日=1997/04/30")});
    ASSERT_EQ(april.status, 0) << april.err.toStdString();
    qsizetype inApril = 0;
    const QList<QStringList> orders =
        mdbExportRows(sample(), QStringLiteral("受注"), QStringLiteral("CP932"));
    const qsizetype date = orders[0].indexOf(QStringLiteral("受注日"));
    for (qsizetype r = 1; r < orders.size(); ++r)
        inApril += orders[r][date].startsWith(QLatin1String("1997/04/")) ? 1 : 0;
    EXPECT_GT(inApril, 0);
    EXPECT_EQ(records().size(), inApril + 1);

    const CliRun update = exportQuery(QStringLiteral("単価改定"), {});
    EXPECT_EQ(update.status, 1);
    EXPECT_TRUE(update.err.contains(QStringLiteral("CSVSave: error 31005")))
        << update.err.toStdString();
}
