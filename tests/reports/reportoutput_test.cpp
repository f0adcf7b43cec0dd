// Report files (PDF, HTML) from a store, the registry, and failures.

#include "reports/teststore.h"

#include "host/reports/htmlreportwriter.h"
#include "host/reports/pagedreportwriter.h"
#include "host/reports/pagetarget.h"
#include "host/reports/reportoutput.h"
#include "host/reports/reportregistry.h"
#include "host/reports/storequery.h"
#include "host/store/storedates.h"
#include "host/vb/errors.h"
#include "host/vb/vb.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int countPages(const QByteArray &pdf)
{
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    int count = 0;
    auto it = page.globalMatch(QString::fromLatin1(pdf));
    while (it.hasNext()) {
        it.next();
        ++count;
    }
    return count;
}

int picturePages(const StoreReport &report, QSqlDatabase store)
{
    PicturePageTarget target;
    PagedReportWriter writer(target);
    writeReport(report, store, writer, reportHeader(report, store));
    return int(target.pages().size());
}

HostError expectHostError(const std::function<void()> &call)
{
    try {
        call();
    } catch (const HostError &e) {
        return e;
    }
    ADD_FAILURE() << "no HostError raised";
    return HostError(Err::Overflow, QString());
}

} // namespace

TEST(FileReportOutput, PdfHasOnePageObjectPerLaidOutPageAndEmbedsTheJapaneseFont)
{
    TestStore store;
    store.addRows(QStringLiteral("T_顧客"), 30);
    store.addRows(QStringLiteral("T_受注"), 400);
    ListReport report;
    QSqlDatabase db = store.db();

    FileReportOutput output(store.dir().filePath(QStringLiteral("out")),
                            FileReportOutput::Format::Pdf);
    output.show(QStringLiteral("R_Test"), report, db);
    EXPECT_EQ(output.lastPath(), store.dir().filePath(QStringLiteral("out/R_Test.pdf")));
    const QByteArray pdf = readAll(output.lastPath());
    ASSERT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_TRUE(pdf.trimmed().endsWith("%%EOF"));
    const int pages = countPages(pdf);
    EXPECT_GT(pages, 5);
    EXPECT_EQ(pages, output.lastPageCount());
    EXPECT_EQ(pages, picturePages(report, db)) << "preview and PDF paginate alike";
    EXPECT_TRUE(pdf.contains("IPAPGothic")) << "the Japanese font is embedded";
    EXPECT_TRUE(pdf.contains("/FontFile2"));

    // A second run replaces the file.
    store.addRows(QStringLiteral("T_明細"), 400);
    output.show(QStringLiteral("R_Test"), report, db);
    EXPECT_GT(countPages(readAll(output.lastPath())), pages);
    EXPECT_EQ(QDir(store.dir().filePath(QStringLiteral("out"))).entryList(QDir::Files),
              QStringList{QStringLiteral("R_Test.pdf")})
        << "no temporary file left behind";
}

TEST(FileReportOutput, HtmlIsEscapedUtf8WithATablePerGroup)
{
    TestStore store;
    store.addRow(QStringLiteral("Q_<選択>"), QStringLiteral("a<b & \"c\""), QStringLiteral("ﾃｷｽﾄ"),
                 QStringLiteral("全角　空白\n二行目"));
    store.addRow(QStringLiteral("Q_<選択>"), QStringLiteral("</td><script>"), QString(), QString());
    store.addRows(QStringLiteral("T_顧客"), 3);
    ListReport report;
    QSqlDatabase db = store.db();
    FileReportOutput output(store.dir().path(), FileReportOutput::Format::Html);
    output.show(QStringLiteral("R_Test"), report, db);
    EXPECT_TRUE(output.lastPath().endsWith(QStringLiteral("R_Test.html")));
    const QByteArray bytes = readAll(output.lastPath());
    const QString html = QString::fromUtf8(bytes);
    ASSERT_FALSE(html.isEmpty());
    EXPECT_TRUE(html.startsWith(QStringLiteral("<!DOCTYPE html>")));
    EXPECT_TRUE(html.contains(QStringLiteral("<meta charset=\"utf-8\">")));
    EXPECT_TRUE(html.contains(QStringLiteral("<h1>テスト一覧</h1>")));
    EXPECT_TRUE(html.contains(QStringLiteral("販売管理.mdb")));
    EXPECT_TRUE(html.contains(QStringLiteral("<h2>Q_&lt;選択&gt;</h2>")));
    EXPECT_TRUE(html.contains(QStringLiteral("a&lt;b &amp; &quot;c&quot;")));
    EXPECT_TRUE(html.contains(QStringLiteral("&lt;/td&gt;&lt;script&gt;")));
    EXPECT_FALSE(html.contains(QStringLiteral("<script>")));
    EXPECT_TRUE(bytes.contains(QStringLiteral("全角　空白\n二行目").toUtf8()));
    EXPECT_TRUE(bytes.contains(QStringLiteral("ﾃｷｽﾄ").toUtf8()));
    EXPECT_EQ(html.count(QStringLiteral("<section>")), 2);
    EXPECT_EQ(html.count(QStringLiteral("<table class=\"rows\">")), 2);
    EXPECT_EQ(html.count(QStringLiteral("<thead>")), 2) << "headings in each table";
    EXPECT_EQ(html.count(QStringLiteral("<td class=\"mono\">")), 5) << "type column is mono";
    EXPECT_EQ(html.count(QStringLiteral("<tr>")), 2 + 2 + 3 + 2) << "facts, headings, rows";
    EXPECT_TRUE(html.trimmed().endsWith(QStringLiteral("</html>")));
}

TEST(FileReportOutput, FailuresLeaveNoFileAndKeepTheOldOne)
{
    TestStore store;
    store.addRows(QStringLiteral("T_顧客"), 50);
    QSqlDatabase db = store.db();

    // A "folder" that is a regular file cannot hold the report, whoever runs.
    const QString blocker = store.dir().filePath(QStringLiteral("blocker"));
    QFile(blocker).open(QIODevice::WriteOnly);
    for (auto format : {FileReportOutput::Format::Pdf, FileReportOutput::Format::Html}) {
        FileReportOutput output(blocker + QStringLiteral("/sub"), format);
        const HostError e =
            expectHostError([&] { output.show(QStringLiteral("R_Test"), ListReport(), db); });
        EXPECT_EQ(e.code(), 75);
        EXPECT_TRUE(e.description().contains(blocker)) << e.description().toStdString();
        EXPECT_TRUE(output.lastPath().isEmpty());
    }
    EXPECT_EQ(
        expectHostError([&] { PdfPageTarget(blocker + QStringLiteral("/x.pdf"), {}); }).code(), 75);
    EXPECT_EQ(
        expectHostError([&] { HtmlReportWriter(blocker + QStringLiteral("/x.html")); }).code(), 75);

    // A report that breaks midway leaves the earlier file as it was.
    for (auto format : {FileReportOutput::Format::Pdf, FileReportOutput::Format::Html}) {
        FileReportOutput output(store.dir().filePath(QStringLiteral("out")), format);
        output.show(QStringLiteral("R_Test"), ListReport(), db);
        const QByteArray before = readAll(output.lastPath());
        ASSERT_FALSE(before.isEmpty());
        const HostError e =
            expectHostError([&] { output.show(QStringLiteral("R_Test"), ListReport(20), db); });
        EXPECT_EQ(e.number(), Err::StoreUnusable);
        EXPECT_EQ(readAll(output.lastPath()), before);
    }
    EXPECT_EQ(QDir(store.dir().filePath(QStringLiteral("out"))).entryList(QDir::Files).size(), 2)
        << "only the two finished files";
}

TEST(ReportRegistry, CreatesRegisteredReportsAndRejectsUnknownNames)
{
    registerReport(QStringLiteral("R_RegistryTest"), [] { return std::make_unique<ListReport>(); });
    EXPECT_TRUE(hasReport(QStringLiteral("R_RegistryTest")));
    EXPECT_TRUE(hasReport(QStringLiteral("r_registrytest")));
    EXPECT_TRUE(reportNames().contains(QStringLiteral("R_RegistryTest")));
    const auto first = createReport(QStringLiteral("R_RegistryTest"));
    const auto second = createReport(QStringLiteral("R_REGISTRYTEST"));
    ASSERT_TRUE(first && second);
    EXPECT_NE(first.get(), second.get()) << "a new instance per launch";
    EXPECT_EQ(first->title(), QStringLiteral("テスト一覧"));

    const HostError e = expectHostError([] { createReport(QStringLiteral("R_Nowhere")); });
    EXPECT_EQ(e.code(), 2103);
    EXPECT_TRUE(e.description().contains(QStringLiteral("R_Nowhere")));
    EXPECT_FALSE(hasReport(QStringLiteral("R_Nowhere")));
    EXPECT_EQ(expectHostError([] { registerReport(QStringLiteral("R_Empty"), {}); }).code(), 5);
}

TEST(ReportHeader, NamesTheReportTheDatabaseAndToday)
{
    TestStore store;
    QSqlDatabase db = store.db();
    const ReportHeader header = reportHeader(ListReport(), db);
    EXPECT_EQ(header.title, QStringLiteral("テスト一覧"));
    EXPECT_EQ(header.database, QStringLiteral("販売管理.mdb"));
    EXPECT_EQ(header.date, QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
    store.exec(QStringLiteral("DROP TABLE T_DataBase"));
    EXPECT_TRUE(reportHeader(ListReport(), db).database.isEmpty());
}

TEST(StoreQuery, StoredDatesReadBackAsTheHostShowsThem)
{
    // What the harvests store, read back by every report.
    for (double ole : {0.0, -1.5, 37106.7623638889, 45383.5, -657434.0})
        EXPECT_EQ(dateText(storedDateText(ole)), vb::CStr(Value::date(ole))) << ole;
    EXPECT_EQ(dateText(QStringLiteral("1899-12-29 12:00:00")),
              QStringLiteral("1899/12/29 12:00:00"));
    EXPECT_EQ(dateText(QVariant()), QString());
}
