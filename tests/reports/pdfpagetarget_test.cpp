// The PDF target's own file against Qt's PDF engine on the same layout: the
// text poppler reads back, the page count, the first page's picture, and
// qpdf's structure check.

#include "reports/teststore.h"

#include "host/reports/pagedreportwriter.h"
#include "host/reports/pagetarget.h"
#include "host/reports/reportoutput.h"
#include "host/reports/reportregistry.h"
#include "host/reports/storereports.h"
#include "host/store/store.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
};

Run run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(120000))
        return result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    return result;
}

bool haveTools()
{
    for (const char *tool : {"pdftotext", "pdftoppm", "pdfinfo", "qpdf"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return false;
    }
    return true;
}

// The page as poppler lays its text out, runs of spaces made one: the same
// words in the same places read the same, whatever spacing each writer used
// between glyphs. Canonically equal text is equal (Qt's file gives a
// composed glyph back as "が", ours gives the "か" and mark it was drawn from).
QStringList pageText(const QString &pdf)
{
    const Run text =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-enc"),
                                          QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    EXPECT_EQ(text.exitCode, 0) << pdf.toStdString();
    static const QRegularExpression spaces(QStringLiteral("\\s+"));
    QStringList lines;
    for (const QString &line : QString::fromUtf8(text.out).split(QLatin1Char('\n')))
        lines.append(QString(line)
                         .replace(spaces, QStringLiteral(" "))
                         .trimmed()
                         .normalized(QString::NormalizationForm_C));
    return lines;
}

int pageCount(const QString &pdf)
{
    const Run info = run(QStringLiteral("pdfinfo"), {pdf});
    static const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
    const auto match = pages.match(QString::fromUtf8(info.out));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QImage firstPage(const QString &pdf, const QString &prefix)
{
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-f"), QStringLiteral("1"),
         QStringLiteral("-l"), QStringLiteral("1"), QStringLiteral("-gray"),
         QStringLiteral("-singlefile"), pdf, prefix});
    return QImage(prefix + QStringLiteral(".pgm")).convertToFormat(QImage::Format_Grayscale8);
}

// Pixels that differ by more than a quarter of the grey range.
int differingPixels(const QImage &a, const QImage &b)
{
    if (a.size() != b.size() || a.isNull())
        return -1;
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        const uchar *ra = a.constScanLine(y);
        const uchar *rb = b.constScanLine(y);
        for (int x = 0; x < a.width(); ++x)
            count += std::abs(int(ra[x]) - int(rb[x])) > 64;
    }
    return count;
}

// The first pages of two files as pictures: of one size, within 0.1 %.
void expectSameFirstPage(const QString &ownPath, const QString &qtPath, const QString &prefix)
{
    const QImage ownPage = firstPage(ownPath, prefix + QStringLiteral("-own"));
    const QImage qtPage = firstPage(qtPath, prefix + QStringLiteral("-qt"));
    ASSERT_FALSE(ownPage.isNull());
    const int differing = differingPixels(ownPage, qtPage);
    EXPECT_GE(differing, 0) << "pages of one size";
    EXPECT_LT(differing, ownPage.width() * ownPage.height() / 1000) << "within 0.1 %";
}

const ReportHeader header{QStringLiteral("モジュール一覧"), QStringLiteral("販売管理.mdb"),
                          QStringLiteral("2024/05/01")};

// Everything the writer draws: group headings in bold, facts, ruled rows
// with right-aligned and monospace cells, cells that wrap, text blocks with
// tabs that span pages, characters that shape to fewer glyphs, repeated
// strings and distinct ones. (Right-to-left text reads back in an order of
// poppler's choosing; its letters are checked in textcache_test.cpp.)
void writeLargeReport(ReportWriter &out)
{
    const QList<ReportColumn> columns{{QStringLiteral("No"), 0.6, Qt::AlignRight, true},
                                      {QStringLiteral("プロシージャ名"), 2, Qt::AlignLeft, false},
                                      {QStringLiteral("種類"), 1, Qt::AlignLeft, true},
                                      {QStringLiteral("説明"), 3, Qt::AlignLeft, false}};
    for (int module = 0; module < 12; ++module) {
        out.group(QStringLiteral("Module_ﾓｼﾞｭｰﾙ%1").arg(module),
                  {{QStringLiteral("種類"), QStringLiteral("標準モジュール")},
                   {QStringLiteral("説明"), QStringLiteral("全角　空白と半角ｶﾅ")}});
        out.columns(columns);
        for (int i = 0; i < 60; ++i) {
            out.row({QString::number(i), QStringLiteral("Proc_%1_%2").arg(module).arg(i),
                     i % 2 ? QStringLiteral("Sub") : QStringLiteral("Function"),
                     i % 9 == 0 ? QStringLiteral("長めの説明文　折り返しが必要になるほど長い説明を"
                                                 "ここに書いておく office %1")
                                      .arg(i)
                     : i % 13 == 0 ? QStringLiteral("か\u3099 ｶﾞ Ω")
                                   : QStringLiteral("説明%1").arg(i % 5)});
        }
        QString code;
        for (int line = 0; line < 80; ++line)
            code += QStringLiteral("\tDim 変数%1 As Long ' 註釈 %2\n").arg(line).arg(module);
        out.textBlock(code + QStringLiteral("Public Sub 長い行(ByVal a As Long, ByVal b As String, "
                                            "Optional ByVal c As Variant = Null, ByVal d As "
                                            "Currency) ' 折り返す"),
                      true);
    }
}

struct Written
{
    QString path;
    int laidOut = 0;
};

Written writePdf(PageTarget &target, const QString &path,
                 const std::function<void(ReportWriter &)> &body,
                 const ReportHeader &title = header)
{
    PagedReportWriter writer(target);
    writer.begin(title);
    body(writer);
    writer.end();
    return {path, writer.pageCount()};
}

} // namespace

TEST(PdfPageTarget, ReadsBackAsQtsPdfWithTheSamePagesAndPicturesAndPassesQpdf)
{
    if (!haveTools())
        GTEST_SKIP() << "poppler-utils and qpdf are needed";
    QTemporaryDir dir;
    TestStore store;
    store.addRows(QStringLiteral("T_顧客"), 30);
    store.addRow(QStringLiteral("Q_<選択>"), QStringLiteral("a<b & \"c\""), QStringLiteral("ﾃｷｽﾄ"),
                 QStringLiteral("全角　空白\n二行目"));
    store.addRows(QStringLiteral("T_受注"), 400);
    QSqlDatabase db = store.db();
    const ListReport listReport;
    const std::vector<std::pair<QString, std::function<void(ReportWriter &)>>> reports{
        {QStringLiteral("large"), writeLargeReport},
        {QStringLiteral("list"), [&](ReportWriter &out) { listReport.write(db, out); }},
        {QStringLiteral("empty"), [](ReportWriter &) {}}};
    for (const auto &[name, body] : reports) {
        SCOPED_TRACE(name.toStdString());
        const QString ownPath = dir.filePath(name + QStringLiteral("-own.pdf"));
        const QString qtPath = dir.filePath(name + QStringLiteral("-qt.pdf"));
        PdfPageTarget ownTarget(ownPath, header.title);
        const Written own = writePdf(ownTarget, ownPath, body);
        QtPdfPageTarget qtTarget(qtPath, header.title);
        const Written qt = writePdf(qtTarget, qtPath, body);

        EXPECT_EQ(run(QStringLiteral("qpdf"), {QStringLiteral("--check"), ownPath}).exitCode, 0);
        EXPECT_EQ(run(QStringLiteral("qpdf"), {QStringLiteral("--check"), qtPath}).exitCode, 0);
        EXPECT_EQ(pageCount(ownPath), own.laidOut);
        EXPECT_EQ(pageCount(qtPath), qt.laidOut);
        EXPECT_EQ(own.laidOut, qt.laidOut);
        if (name == QStringLiteral("large")) {
            EXPECT_GT(own.laidOut, 20);
        }

        const QStringList ownText = pageText(ownPath);
        const QStringList qtText = pageText(qtPath);
        EXPECT_EQ(ownText.size(), qtText.size());
        for (qsizetype i = 0; i < std::min(ownText.size(), qtText.size()); ++i)
            ASSERT_EQ(ownText[i].toStdString(), qtText[i].toStdString()) << "line " << i;

        expectSameFirstPage(ownPath, qtPath, dir.filePath(name));
    }
}

// The bundled sample documented by the command line, every report of its
// store written by both writers: the same pages, text and first page.
TEST(PdfPageTarget, TheSampleReportsReadBackAsQtsPdf)
{
    if (!haveTools())
        GTEST_SKIP() << "poppler-utils and qpdf are needed";
    QTemporaryDir dir;
    const QString storePath = dir.filePath(QStringLiteral("Analize.mdb"));
    const ::Run documented =
        run(QStringLiteral(QUILLMARK_CLI),
            {QStringLiteral("document"), QStringLiteral(QUILLMARK_SAMPLE_DATABASE),
             QStringLiteral("--listing"), QStringLiteral("all"), QStringLiteral("--format"),
             QStringLiteral("html"), QStringLiteral("--out"), dir.path(), QStringLiteral("--store"),
             storePath, QStringLiteral("--quiet")});
    ASSERT_EQ(documented.exitCode, 0);
    registerStoreReports();
    auto store = Store::open(storePath);
    // The store's reports by name: other suites register test reports too.
    for (const char *storeReport :
         {"R_Object", "R_Table", "R_Query", "R_Form", "R_Report", "R_Module", "R_ProcList"}) {
        const QString name = QString::fromLatin1(storeReport);
        SCOPED_TRACE(storeReport);
        const std::unique_ptr<StoreReport> report = createReport(name);
        const ReportHeader reportTitle = reportHeader(*report, store->connection());
        auto body = [&](ReportWriter &out) { report->write(store->connection(), out); };
        const QString ownPath = dir.filePath(name + QStringLiteral("-own.pdf"));
        const QString qtPath = dir.filePath(name + QStringLiteral("-qt.pdf"));
        PdfPageTarget ownTarget(ownPath, reportTitle.title);
        QtPdfPageTarget qtTarget(qtPath, reportTitle.title);
        const Written own = writePdf(ownTarget, ownPath, body, reportTitle);
        const Written qt = writePdf(qtTarget, qtPath, body, reportTitle);
        EXPECT_EQ(run(QStringLiteral("qpdf"), {QStringLiteral("--check"), ownPath}).exitCode, 0);
        EXPECT_EQ(own.laidOut, qt.laidOut);
        EXPECT_EQ(pageCount(ownPath), own.laidOut);
        EXPECT_EQ(pageText(ownPath), pageText(qtPath));
        expectSameFirstPage(ownPath, qtPath, dir.filePath(name));
    }
}

TEST(PdfPageTarget, ASmallerFileThatNamesItsFontsOnce)
{
    QTemporaryDir dir;
    const QString ownPath = dir.filePath(QStringLiteral("own.pdf"));
    const QString qtPath = dir.filePath(QStringLiteral("qt.pdf"));
    {
        PdfPageTarget target(ownPath, header.title);
        writePdf(target, ownPath, writeLargeReport);
    }
    {
        QtPdfPageTarget target(qtPath, header.title);
        writePdf(target, qtPath, writeLargeReport);
    }
    QFile own(ownPath);
    QFile qt(qtPath);
    ASSERT_TRUE(own.open(QIODevice::ReadOnly) && qt.open(QIODevice::ReadOnly));
    const QByteArray bytes = own.readAll();
    EXPECT_LT(bytes.size(), qt.size());
    // One embedded program per font file: IPA P Gothic (body and its
    // simulated bold, two sizes) and IPA Gothic (monospace).
    EXPECT_EQ(bytes.count("/FontFile2"), 2);
    EXPECT_EQ(bytes.count("/Subtype /Type0"), 2);
    EXPECT_TRUE(bytes.contains("+IPAPGothic-"));
    EXPECT_TRUE(bytes.contains("/ToUnicode"));
    EXPECT_TRUE(bytes.startsWith("%PDF-1."));
    EXPECT_TRUE(bytes.trimmed().endsWith("%%EOF"));
}
