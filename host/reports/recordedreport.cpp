#include "host/reports/recordedreport.h"

#include <algorithm>

void RecordedReport::begin(const ReportHeader &header)
{
    m_header = header;
    m_items.clear();
    m_complete = false;
}

void RecordedReport::group(const QString &title, const ReportFacts &facts)
{
    m_items.emplace_back(Group{title, facts});
}

void RecordedReport::columns(const QList<ReportColumn> &columns)
{
    m_items.emplace_back(Columns{columns});
}

void RecordedReport::row(const QStringList &cells)
{
    m_items.emplace_back(cells);
}

void RecordedReport::textBlock(const QString &text, bool monospace)
{
    m_items.emplace_back(Text{text, monospace});
}

void RecordedReport::end()
{
    m_complete = true;
}

void RecordedReport::replay(ReportWriter &out) const
{
    replay(out, 0, m_items.size());
}

size_t RecordedReport::replay(ReportWriter &out, size_t from, size_t count) const
{
    struct Visitor
    {
        ReportWriter &out;
        void operator()(const Group &g) const { out.group(g.title, g.facts); }
        void operator()(const Columns &c) const { out.columns(c.columns); }
        void operator()(const QStringList &cells) const { out.row(cells); }
        void operator()(const Text &t) const { out.textBlock(t.text, t.monospace); }
    };
    if (from == 0)
        out.begin(m_header);
    const size_t to = std::min(m_items.size(), from + count);
    for (size_t i = from; i < to; ++i)
        std::visit(Visitor{out}, m_items[i]);
    if (to == m_items.size())
        out.end();
    return to;
}
