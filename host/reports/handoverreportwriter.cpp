#include "host/reports/handoverreportwriter.h"

HandoverReportWriter::HandoverReportWriter(
    std::function<std::unique_ptr<ReportWriter>()> makeWriter)
    : m_thread([this, makeWriter = std::move(makeWriter)] { run(makeWriter); })
{
}

HandoverReportWriter::~HandoverReportWriter()
{
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
        m_waiting.clear(); // not ended: what was handed over is dropped
    }
    m_changed.notify_all();
    m_thread.join();
}

void HandoverReportWriter::run(const std::function<std::unique_ptr<ReportWriter>()> &makeWriter)
{
    try {
        const std::unique_ptr<ReportWriter> writer = makeWriter();
        for (;;) {
            std::function<void(ReportWriter &)> call;
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [this] { return m_closing || !m_waiting.empty(); });
                if (m_waiting.empty())
                    break;
                call = std::move(m_waiting.front());
                m_waiting.pop_front();
            }
            m_changed.notify_all();
            call(*writer);
        }
    } catch (...) {
        std::lock_guard lock(m_mutex);
        m_failure = std::current_exception();
        m_waiting.clear();
    }
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
    }
    m_changed.notify_all();
}

void HandoverReportWriter::hand(std::function<void(ReportWriter &)> call)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_finished || m_waiting.size() < MaxWaiting; });
    if (m_failure)
        std::rethrow_exception(m_failure);
    if (m_finished)
        return;
    m_waiting.push_back(std::move(call));
    lock.unlock();
    m_changed.notify_all();
}

void HandoverReportWriter::begin(const ReportHeader &header)
{
    hand([header](ReportWriter &out) { out.begin(header); });
}

void HandoverReportWriter::group(const QString &title, const ReportFacts &facts)
{
    hand([title, facts](ReportWriter &out) { out.group(title, facts); });
}

void HandoverReportWriter::columns(const QList<ReportColumn> &columns)
{
    hand([columns](ReportWriter &out) { out.columns(columns); });
}

void HandoverReportWriter::row(const QStringList &cells)
{
    hand([cells](ReportWriter &out) { out.row(cells); });
}

void HandoverReportWriter::textBlock(const QString &text, bool monospace)
{
    hand([text, monospace](ReportWriter &out) { out.textBlock(text, monospace); });
}

void HandoverReportWriter::end()
{
    hand([](ReportWriter &out) { out.end(); });
    std::unique_lock lock(m_mutex);
    m_closing = true;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_finished; });
    if (m_failure)
        std::rethrow_exception(m_failure);
}
