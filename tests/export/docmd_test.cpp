// DoCmd.OutputTo and DoCmd.TransferText on the Application: which rows
// they export, what they raise, the query runner and its parameters, and
// AutoStart through the view.

#include "export/exportrows.h"
#include "export/parametervalue.h"
#include "exporttestsupport.h"
#include "host/objects/application.h"
#include "host/objects/fixturesource.h"
#include "host/vb/errors.h"
#include "support/testsupport.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Target
{
    QTemporaryDir dir;
    FixtureSource fixture;
    OpeningView view;
    Application access{fixture.opener(), &view};
    QStringList queriesRun;

    Target()
    {
        fixture.add(FixtureTable(QStringLiteral("商品"))
                        .field(QStringLiteral("ID"), DaoType::Long)
                        .field(QStringLiteral("名前"), DaoType::Text, 20)
                        .row({Value::longInt(1), Value(QStringLiteral("鉛筆"))})
                        .row({Value::longInt(2), Value(QStringLiteral("消しゴム"))}));
        fixture.add(FixtureQuery(QStringLiteral("高額"), 0,
                                 QStringLiteral("PARAMETERS [下限] Long; SELECT ...")));
        ExportServices services;
        services.write = makeFileExporter();
        access.setExportServices(services);
    }
    void withRunner()
    {
        ExportServices services;
        services.write = makeFileExporter([] {
            ExportOptions o;
            o.codePage = QStringLiteral("UTF-8");
            return o;
        });
        services.runQuery = [this](const Database &, const QString &query,
                                   const ParameterPrompt &prompt) -> std::unique_ptr<RowCursor> {
            queriesRun << query;
            const Value low = prompt(QStringLiteral("下限"), QStringLiteral("Long"));
            return std::make_unique<ListCursor>(QStringList{QStringLiteral("下限")},
                                                QList<QList<Value>>{{low}});
        };
        services.prompt = promptFromValues({{QStringLiteral("下限"), QStringLiteral("500")}});
        access.setExportServices(services);
    }
    QString path(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }
};

} // namespace

TEST(DoCmdExport, TransferTextWritesTheTableWithOrWithoutNames)
{
    Target t;
    t.access.OpenCurrentDatabase(QStringLiteral("x.mdb"));
    t.access.TransferText(2, QStringLiteral("商品"), t.path("a.txt"), 1);
    EXPECT_EQ(fileBytes(t.path("a.txt")),
              QByteArray("\"ID\",\"\x96\xBC\x91\x4F\"\r\n1,\"\x89\x94\x95\x4D\"\r\n"
                         "2,\"\x8F\xC1\x82\xB5\x83\x53\x83\x80\"\r\n"));
    t.access.TransferText(2, QStringLiteral("商品"), t.path("b"), 0);
    EXPECT_TRUE(fileBytes(t.path("b")).startsWith("1,"));
    EXPECT_TRUE(t.view.opened.isEmpty());
}

TEST(DoCmdExport, ErrorsHaveTheirNumbersAndWriteNothing)
{
    Target t;
    const QString file = t.path("out.xls");
    EXPECT_EQ(errorOf([&] { t.access.TransferText(2, QStringLiteral("商品"), file, 0); }),
              int(Err::ActionNotNow));
    EXPECT_EQ(errorOf([&] {
                  t.access.OutputTo(AcObjectType::Table, QStringLiteral("商品"),
                                    QStringLiteral("MicrosoftExcel(*.xls)"), file, 0);
              }),
              int(Err::ActionNotNow));
    t.access.OpenCurrentDatabase(QStringLiteral("x.mdb"));
    const auto outputTo = [&](AcObjectType type, const QString &name, const QString &format,
                              const QString &path) {
        return errorOf([&] { (void)t.access.OutputTo(type, name, format, path, 0); });
    };
    const QString excel = QStringLiteral("MicrosoftExcel(*.xls)");
    EXPECT_EQ(outputTo(AcObjectType::Table, QStringLiteral("無い"), excel, file),
              int(Err::ObjectNotFound));
    EXPECT_EQ(outputTo(AcObjectType::Query, QStringLiteral("無い"), excel, file),
              int(Err::ObjectNotFound));
    EXPECT_EQ(outputTo(AcObjectType::Query, QStringLiteral("高額"), excel, file),
              int(Err::QueryNotRunnable));
    EXPECT_EQ(outputTo(AcObjectType::Form, QStringLiteral("商品"), excel, file),
              int(Err::ActionNotNow));
    EXPECT_EQ(
        outputTo(AcObjectType::Table, QStringLiteral("商品"), QStringLiteral("HTML(*.html)"), file),
        int(Err::InvalidProcedureCall));
    // A cancelled dialog's empty name.
    EXPECT_EQ(outputTo(AcObjectType::Table, QStringLiteral("商品"), excel, QString()),
              int(Err::ActionCancelled));
    EXPECT_EQ(errorOf([&] { t.access.TransferText(2, QStringLiteral("商品"), QString(), 0); }),
              int(Err::InvalidPath));
    EXPECT_EQ(errorOf([&] { t.access.TransferText(0, QStringLiteral("商品"), file, 0); }),
              int(Err::InvalidProcedureCall));
    EXPECT_EQ(errorOf([&] { t.access.TransferText(2, QStringLiteral("無い"), file, 0); }),
              int(Err::ObjectNotFound));
    EXPECT_TRUE(folderEntries(t.dir.path()).isEmpty());
}

TEST(DoCmdExport, QueriesRunThroughTheRunnerWithTheirParameters)
{
    Target t;
    t.withRunner();
    t.access.OpenCurrentDatabase(QStringLiteral("x.mdb"));
    // TransferText takes a query's name where a table's goes.
    t.access.TransferText(2, QStringLiteral("高額"), t.path("q.csv"), 1);
    EXPECT_EQ(fileBytes(t.path("q.csv")), QByteArray("\xEF\xBB\xBF\"下限\"\r\n500\r\n"));
    EXPECT_TRUE(t.access.OutputTo(AcObjectType::Query, QStringLiteral("高額"),
                                  QStringLiteral("MicrosoftExcel(*.xls)"), t.path("q.xlsx"), 0));
    const QJsonDocument doc = readXlsx(t.path("q.xlsx"));
    EXPECT_EQ(doc.object().value(QLatin1String("sheets")).toArray(),
              QJsonArray{QStringLiteral("高額")});
    EXPECT_EQ(t.queriesRun, (QStringList{QStringLiteral("高額"), QStringLiteral("高額")}));

    // The prompt from given values: typed by the declared type, a missing one named.
    const ParameterPrompt prompt =
        promptFromValues({{QStringLiteral("Start"), QStringLiteral("2024/01/05 12:00")}});
    EXPECT_EQ(prompt(QStringLiteral("start"), QStringLiteral("DateTime")), Value::date(45296.5));
    EXPECT_EQ(prompt(QStringLiteral("Start"), QString()),
              Value(QStringLiteral("2024/01/05 12:00")));
    EXPECT_EQ(errorOf([&] { prompt(QStringLiteral("Start"), QStringLiteral("Long")); }),
              int(Err::TypeMismatch));
    try {
        prompt(QStringLiteral("End"), QStringLiteral("Long"));
        ADD_FAILURE() << "no error for a missing parameter";
    } catch (const HostError &e) {
        EXPECT_EQ(e.number(), Err::ActionCancelled);
        EXPECT_TRUE(e.description().contains(QStringLiteral("[End]")));
    }
    EXPECT_EQ(
        parameterValue(QStringLiteral("p"), QStringLiteral(" 12 "), QStringLiteral("Integer")),
        Value::integer(12));
    EXPECT_EQ(
        parameterValue(QStringLiteral("p"), QStringLiteral("1.5"), QStringLiteral("Currency")),
        Value::currency(15000));
    EXPECT_EQ(parameterValue(QStringLiteral("p"), QStringLiteral("Yes"), QStringLiteral("YesNo")),
              Value::boolean(true));
    EXPECT_EQ(errorOf([] {
                  parameterValue(QStringLiteral("p"), QStringLiteral("40000"),
                                 QStringLiteral("Integer"));
              }),
              int(Err::TypeMismatch));
}

TEST(DoCmdExport, AutoStartAsksTheViewAndSaysWhenItCouldNotOpen)
{
    Target t;
    t.access.OpenCurrentDatabase(QStringLiteral("x.mdb"));
    const QString rtf = QStringLiteral("RichTextFormat(*.rtf)");
    EXPECT_TRUE(
        t.access.OutputTo(AcObjectType::Table, QStringLiteral("商品"), rtf, t.path("a.doc"), 0));
    EXPECT_TRUE(t.view.opened.isEmpty());
    EXPECT_TRUE(
        t.access.OutputTo(AcObjectType::Table, QStringLiteral("商品"), rtf, t.path("a.doc"), 1));
    t.view.opens = false;
    EXPECT_FALSE(
        t.access.OutputTo(AcObjectType::Table, QStringLiteral("商品"), rtf, t.path("b.doc"), -1));
    EXPECT_EQ(t.view.opened, (QStringList{t.path("a.doc"), t.path("b.doc")}));
    EXPECT_TRUE(fileBytes(t.path("b.doc")).startsWith("{\\rtf1"));
    // Without a view AutoStart is ignored.
    Application headless(t.fixture.opener());
    ExportServices services;
    services.write = makeFileExporter();
    headless.setExportServices(services);
    headless.OpenCurrentDatabase(QStringLiteral("x.mdb"));
    EXPECT_TRUE(
        headless.OutputTo(AcObjectType::Table, QStringLiteral("商品"), rtf, t.path("c.doc"), 1));
}
