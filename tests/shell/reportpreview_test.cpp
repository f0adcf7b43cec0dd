// The report preview opens at once and lays its pages out from the event
// loop: the page count grows while the window stays responsive, and ends
// where a layout in one go ends.

#include "host/reports/pagedreportwriter.h"
#include "host/reports/recordedreport.h"
#include "host/views/reportpreview.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <set>

namespace {

std::shared_ptr<RecordedReport> longReport(int rows)
{
    auto report = std::make_shared<RecordedReport>();
    report->begin({QStringLiteral("テーブル定義書"), QStringLiteral("販売管理.mdb"),
                   QStringLiteral("2026/12/07")});
    for (int i = 0; i < rows; ++i) {
        if (i % 40 == 0) {
            report->group(QStringLiteral("%1. T_売上%1").arg(i / 40), {});
            report->columns({{QStringLiteral("No"), 1}, {QStringLiteral("フィールド名"), 3}});
        }
        report->row({QString::number(i), QStringLiteral("項目%1").arg(i)});
    }
    report->end();
    return report;
}

int pagesInOneGo(const RecordedReport &report)
{
    PicturePageTarget target;
    PagedReportWriter writer(target);
    report.replay(writer);
    return writer.pageCount();
}

} // namespace

TEST(ReportPreview, PageCountGrowsWhileThePagesAreLaidOut)
{
    const auto report = longReport(6000);
    const int expected = pagesInOneGo(*report);
    ASSERT_GT(expected, 50);

    ReportPreviewWindow window(report);
    window.show();
    EXPECT_FALSE(window.isLaidOut());
    EXPECT_EQ(window.pageCount(), 0) << "the window opens before any layout";
    auto *print = window.findChild<QPushButton *>();
    ASSERT_NE(print, nullptr);
    EXPECT_FALSE(print->isEnabled());

    std::set<int> seen;
    while (!window.isLaidOut()) {
        QCoreApplication::processEvents();
        seen.insert(window.pageCount());
    }
    EXPECT_GT(seen.size(), 3u) << "the count was seen growing";
    EXPECT_EQ(window.pageCount(), expected);
    EXPECT_TRUE(print->isEnabled());
    const auto labels = window.findChildren<QLabel *>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&](QLabel *label) {
        return label->text() == QStringLiteral("全 %1 ページ").arg(expected);
    }));
}

TEST(ReportPreview, ClosedWhileLayingOutOrFinishedAtOnce)
{
    const auto report = longReport(3000);
    {
        auto *window = new ReportPreviewWindow(report);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
        QPointer<ReportPreviewWindow> alive(window);
        QCoreApplication::processEvents();
        window->close(); // mid-layout: the writer is dropped with the window
        QTest::qWait(20);
        EXPECT_TRUE(alive.isNull());
    }
    ReportPreviewWindow window(report);
    window.finishLayout();
    EXPECT_TRUE(window.isLaidOut());
    EXPECT_EQ(window.pageCount(), pagesInOneGo(*report));
}
