// Renders a 100,000-row report to PDF and to HTML and prints the wall time,
// pages and file sizes. Usage: report_bench [rows] [output folder]

#include "host/reports/htmlreportwriter.h"
#include "host/reports/pagedreportwriter.h"
#include "host/reports/pagetarget.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
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

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
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
