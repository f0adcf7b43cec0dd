// Renders a 100,000-row report to PDF and to HTML and prints the wall time,
// pages and file sizes. Usage: report_bench [rows] [output folder]
//
// With a documented store (the Analize.mdb that `quillmark-cli document
// bench/large.mdb --listing modules` and `--listing module-source` fill), it
// renders R_ProcList and R_Module from it instead and prints pages per second
// of PDF against the time of HTML of the same report in the same run:
//     report_bench --store STORE [output folder]

#include "host/reports/htmlreportwriter.h"
#include "host/reports/pagedreportwriter.h"
#include "host/reports/pagetarget.h"
#include "host/reports/reportoutput.h"
#include "host/reports/reportregistry.h"
#include "host/reports/storereports.h"
#include "host/vb/errors.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSqlDatabase>
#include <QTemporaryDir>

#include <cstdio>

static void writeBody(ReportWriter &out, int rows)
{
    const QList<ReportColumn> columns{{QStringLiteral("No"), 0.6, Qt::AlignRight, true},
                                      {QStringLiteral("フィールド名"), 2, Qt::AlignLeft, false},
                                      {QStringLiteral("型"), 1, Qt::AlignLeft, true},
                                      {QStringLiteral("説明"), 3, Qt::AlignLeft, false}};
    for (int i = 0; i < rows; ++i) {
        if (i % 500 == 0) {
            out.group(QStringLiteral("T_ﾃｰﾌﾞﾙ%1").arg(i / 500),
                      {{QStringLiteral("作成日"), QStringLiteral("2024/05/01")},
                       {QStringLiteral("説明"), QStringLiteral("ベンチマーク用の表")}});
            out.columns(columns);
        }
        out.row({QString::number(i), QStringLiteral("項目_%1").arg(i), QStringLiteral("Text"),
                 i % 7 == 0 ? QStringLiteral("長めの説明文　折り返しが必要になるほど長い説明を"
                                             "ここに書いておく %1")
                                  .arg(i)
                            : QStringLiteral("説明%1").arg(i)});
    }
}

static int benchStoreReports(const QString &storePath, const QString &folder)
{
    registerStoreReports();
    QSqlDatabase store = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    store.setDatabaseName(storePath);
    if (!store.open()) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(storePath));
        return 1;
    }
    for (const QString &name : {QStringLiteral("R_ProcList"), QStringLiteral("R_Module")}) {
        const auto report = createReport(name);
        const ReportHeader header = reportHeader(*report, store);
        QElapsedTimer timer;
        timer.start();
        // As the command line writes them: FileReportOutput, the store read
        // beside the layout.
        FileReportOutput pdf(folder, FileReportOutput::Format::Pdf);
        pdf.show(name, *report, store);
        const QString pdfPath = pdf.lastPath();
        const int pages = pdf.lastPageCount();
        const qint64 pdfMs = std::max<qint64>(timer.restart(), 1);
        FileReportOutput(folder, FileReportOutput::Format::Html).show(name, *report, store);
        const qint64 htmlMs = std::max<qint64>(timer.elapsed(), 1);
        std::printf("%s: PDF %lld ms, %d pages, %.0f pages/s, %lld bytes; HTML %lld ms "
                    "(%.0f pages/s at the PDF's page count); PDF/HTML %.2fx\n",
                    qPrintable(name), static_cast<long long>(pdfMs), pages, pages * 1000.0 / pdfMs,
                    static_cast<long long>(QFileInfo(pdfPath).size()),
                    static_cast<long long>(htmlMs), pages * 1000.0 / htmlMs,
                    double(pdfMs) / double(htmlMs));
    }
    return 0;
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc > 2 && qstrcmp(argv[1], "--store") == 0) {
        QTemporaryDir temp;
        const QString folder = argc > 3 ? QString::fromLocal8Bit(argv[3]) : temp.path();
        try {
            return benchStoreReports(QString::fromLocal8Bit(argv[2]), folder);
        } catch (const HostError &e) {
            std::fprintf(stderr, "%s\n", qPrintable(e.description()));
            return 1;
        }
    }
    const int rows = argc > 1 ? atoi(argv[1]) : 100000;
    QTemporaryDir temp;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : temp.path();
    const ReportHeader header{QStringLiteral("ベンチマーク"), QStringLiteral("bench.mdb"),
                              QStringLiteral("2024/05/01")};

    QElapsedTimer timer;
    timer.start();
    const QString pdfPath = folder + QStringLiteral("/bench.pdf");
    int pages = 0;
    {
        PdfPageTarget target(pdfPath, header.title);
        PagedReportWriter writer(target);
        writer.begin(header);
        writeBody(writer, rows);
        writer.end();
        pages = writer.pageCount();
    }
    const qint64 pdfMs = timer.restart();
    const QString htmlPath = folder + QStringLiteral("/bench.html");
    {
        HtmlReportWriter writer(htmlPath);
        writer.begin(header);
        writeBody(writer, rows);
        writer.end();
    }
    const qint64 htmlMs = timer.elapsed();
    std::printf("rows %d\nPDF  %lld ms, %d pages, %lld bytes\nHTML %lld ms, %lld bytes\n", rows,
                static_cast<long long>(pdfMs), pages,
                static_cast<long long>(QFileInfo(pdfPath).size()), static_cast<long long>(htmlMs),
                static_cast<long long>(QFileInfo(htmlPath).size()));
    return 0;
}
