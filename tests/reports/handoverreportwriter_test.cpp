// The hand-over to a writer on its own thread: the same stream in the same
// order, failures raised to the report, and nothing ended that was not.

#include "reports/streamlog.h"

#include "host/reports/handoverreportwriter.h"
#include "host/vb/errors.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

// Logs into lines that outlive it, notes its thread, and can fail at a row.
class SharedLog : public StreamLog
{
public:
    SharedLog(QStringList &out, std::thread::id &thread, int failAtRow = -1)
        : m_out(out)
        , m_failAtRow(failAtRow)
    {
        thread = std::this_thread::get_id();
    }
    ~SharedLog() override { m_out = lines; }
    void row(const QStringList &cells) override
    {
        if (m_rows++ == m_failAtRow)
            throw HostError(Err::StoreUnusable, QStringLiteral("disk full"));
        StreamLog::row(cells);
    }

private:
    QStringList &m_out;
    int m_failAtRow;
    int m_rows = 0;
};

void writeRows(ReportWriter &out, int rows)
{
    out.begin(ReportHeader{QStringLiteral("一覧"), QString(), QString()});
    out.group(QStringLiteral("T_顧客"), {{QStringLiteral("種類"), QStringLiteral("ﾃｰﾌﾞﾙ")}});
    out.columns({{QStringLiteral("名前")}, {QStringLiteral("型")}});
    for (int i = 0; i < rows; ++i)
        out.row({QStringLiteral("項目%1").arg(i), QStringLiteral("Text")});
    out.textBlock(QStringLiteral("SELECT *"), true);
}

} // namespace

TEST(HandoverReportWriter, TheWriterGetsTheSameStreamOnItsOwnThread)
{
    QStringList direct;
    {
        std::thread::id unused;
        SharedLog log(direct, unused);
        writeRows(log, 2000);
        log.end();
    }
    QStringList handed;
    std::thread::id writerThread;
    {
        HandoverReportWriter out([&] { return std::make_unique<SharedLog>(handed, writerThread); });
        writeRows(out, 2000);
        out.end();
    }
    EXPECT_EQ(handed, direct);
    EXPECT_EQ(handed.last(), QStringLiteral("end"));
    EXPECT_NE(writerThread, std::this_thread::get_id());
}

TEST(HandoverReportWriter, FailuresReachTheReportAndNothingUnfinishedIsEnded)
{
    // The writer fails midway: raised to the report, by end() at the latest.
    QStringList lines;
    std::thread::id thread;
    try {
        HandoverReportWriter out([&] { return std::make_unique<SharedLog>(lines, thread, 10); });
        writeRows(out, 5000);
        out.end();
        ADD_FAILURE() << "the failure was not raised";
    } catch (const HostError &e) {
        EXPECT_EQ(e.description(), QStringLiteral("disk full"));
    }
    EXPECT_FALSE(lines.contains(QStringLiteral("end")));
    EXPECT_FALSE(lines.contains(QStringLiteral("row 項目10|Text")));

    // The writer cannot be made (an unwritable file): end() raises it.
    try {
        HandoverReportWriter out([]() -> std::unique_ptr<ReportWriter> {
            throw HostError(Err::PathFileAccess, QStringLiteral("no room"));
        });
        writeRows(out, 3);
        out.end();
        ADD_FAILURE() << "the failure was not raised";
    } catch (const HostError &e) {
        EXPECT_EQ(e.code(), 75);
    }

    // The report fails: the hand-over is dropped unended.
    lines.clear();
    {
        HandoverReportWriter out([&] { return std::make_unique<SharedLog>(lines, thread); });
        writeRows(out, 1000);
    }
    EXPECT_FALSE(lines.isEmpty());
    EXPECT_FALSE(lines.contains(QStringLiteral("end")));
}
