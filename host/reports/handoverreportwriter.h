#pragma once

// HandoverReportWriter passes what a report writes to another writer on a
// thread of its own, through a short queue: the report reads the store on one
// core while the pages are laid out on the other. The writer is made, used
// and destroyed on that thread (its fonts belong there). A failure of the
// writer, or of making it, is raised to the report at a later call; end()
// returns once the writer has ended, and raises what it raised. Destroyed
// without end(), the writer is not ended, so it publishes nothing.

#include "host/reports/reportwriter.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class HandoverReportWriter : public ReportWriter
{
public:
    explicit HandoverReportWriter(std::function<std::unique_ptr<ReportWriter>()> makeWriter);
    ~HandoverReportWriter() override;

    void begin(const ReportHeader &header) override;
    void group(const QString &title, const ReportFacts &facts) override;
    void columns(const QList<ReportColumn> &columns) override;
    void row(const QStringList &cells) override;
    void textBlock(const QString &text, bool monospace) override;
    void end() override;

private:
    void hand(std::function<void(ReportWriter &)> call);
    void run(const std::function<std::unique_ptr<ReportWriter>()> &makeWriter);

    // Calls waiting; enough to keep the writer busy, bounded so that a long
    // report is not held in memory.
    static constexpr size_t MaxWaiting = 256;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::function<void(ReportWriter &)>> m_waiting;
    bool m_closing = false;  // no more calls come
    bool m_finished = false; // the writer thread is done
    std::exception_ptr m_failure;
    std::thread m_thread;
};
