// Two tables of the Japanese sample exported as .xls and read back by
// LibreOffice (converted to CSV, text cells quoted, formulas shown), every
// cell against what mdb-export reads from the same file: text as text,
// numbers and dates as numbers in their format, Yes/No as Boolean cells.
// Skipped where LibreOffice is not installed.

#include "export/exportrows.h"
#include "exporttestsupport.h"
#include "host/jet/jetsource.h"
#include "host/objects/application.h"
#include "support/testsupport.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString sample()
{
    return QStringLiteral(QUILLMARK_SAMPLES_DIR "/hanbai.mdb");
}

// One cell of LibreOffice's CSV against mdb-export's text of the same
// field; empty when they agree, else what differs.
QString cellDifference(qint16 type, const DelimitedField &got, const QString &want)
{
    const QString shown = got.quoted ? u'"' + got.text + u'"' : got.text;
    if (want == MdbNull)
        return got.text.isEmpty() && !got.quoted ? QString() : shown + QStringLiteral(" for Null");
    switch (type) {
    case DaoType::Text:
    case DaoType::Memo:
        return got.quoted && got.text == want ? QString() : shown + QStringLiteral(" for ") + want;
    case DaoType::Boolean: {
        // LibreOffice reads a Boolean cell as the formula TRUE() or FALSE().
        const QString formula =
            want == QLatin1String("0") ? QStringLiteral("=FALSE()") : QStringLiteral("=TRUE()");
        return got.text == formula ? QString() : shown + QStringLiteral(" for ") + want;
    }
    case DaoType::Date: {
        // A day alone in yyyy/mm/dd, a time of day in yyyy/mm/dd h:mm:ss.
        const QDateTime when = QDateTime::fromString(want, QStringLiteral("yyyy/MM/dd HH:mm:ss"));
        const QString expected = when.time() == QTime(0, 0)
                                     ? when.toString(QStringLiteral("yyyy/MM/dd"))
                                     : when.toString(QStringLiteral("yyyy/MM/dd H:mm:ss"));
        return !got.quoted && got.text == expected ? QString()
                                                   : shown + QStringLiteral(" for ") + expected;
    }
    default:
        return !got.quoted && sameNumber(got.text, want) ? QString()
                                                         : shown + QStringLiteral(" for ") + want;
    }
}

} // namespace

TEST(XlsLibreOffice, ReadsTheSampleTablesAsExported)
{
    if (libreOffice().isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed; xlrd reads the workbooks elsewhere";
    Application access(JetSource::opener());
    access.OpenCurrentDatabase(sample());
    ExportServices services;
    services.write = makeFileExporter();
    access.setExportServices(services);
    QTemporaryDir dir;
    // Customers: Long, Integer, text in full- and half-width kana, Currency,
    // dates, Yes/No, memo, Nulls. Order lines: Single and Currency.
    const QList<std::pair<QString, QString>> tables{
        {QStringLiteral("得意先"), QStringLiteral("customers")},
        {QStringLiteral("受注明細"), QStringLiteral("details")}};
    QStringList workbooks;
    for (const auto &[table, file] : tables) {
        ASSERT_TRUE(access.OutputTo(AcObjectType::Table, table,
                                    QStringLiteral("MicrosoftExcel(*.xls)"),
                                    dir.filePath(file + QStringLiteral(".xls")), 0));
        workbooks << file + QStringLiteral(".xls");
    }
    // Tokens: comma, double quote, UTF-8, from line 1, no column formats,
    // no language, every text cell quoted, numbers as numbers, cells as
    // shown, formulas rather than their results.
    ASSERT_TRUE(convertWithLibreOffice(
        dir.path(),
        QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1,,0,true,true,true,true"),
        workbooks));

    for (const auto &[table, file] : tables) {
        SCOPED_TRACE(table.toStdString());
        QString text = QString::fromUtf8(fileBytes(dir.filePath(file + QStringLiteral(".csv"))));
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        const QList<QList<DelimitedField>> got = parseDelimited(text, QStringLiteral("\n"));
        const QList<QStringList> want = mdbExportRows(sample(), table, QStringLiteral("CP932"));
        const QList<Field> &fields = access.CurrentDb().TableDefs(table).Fields();
        ASSERT_GT(want.size(), 5);
        ASSERT_EQ(got.size(), want.size());
        int differences = 0;
        for (qsizetype r = 0; r < want.size(); ++r) {
            ASSERT_EQ(got[r].size(), fields.size()) << "row " << r;
            ASSERT_EQ(want[r].size(), fields.size()) << "row " << r;
            for (qsizetype c = 0; c < fields.size(); ++c) {
                const QString difference =
                    cellDifference(r == 0 ? DaoType::Text : fields[c].Type, got[r][c], want[r][c]);
                if (!difference.isEmpty() && ++differences <= 5)
                    ADD_FAILURE() << "row " << r << ", " << fields[c].Name.toStdString() << ": "
                                  << difference.toStdString();
            }
        }
        EXPECT_EQ(differences, 0);
    }
}
