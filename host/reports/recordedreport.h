#pragma once

// RecordedReport keeps a report stream in memory so it can be laid out again:
// the preview window records a report once, while the store connection is
// open, then renders the recording to its pages, to a printer or to a PDF
// without reading the store again. Meant for one report's worth of data
// (what a preview shows anyway), not for unbounded streams.

#include "host/reports/reportwriter.h"

#include <variant>
#include <vector>

class RecordedReport : public ReportWriter
{
public:
    void begin(const ReportHeader &header) override;
    void group(const QString &title, const ReportFacts &facts) override;
    void columns(const QList<ReportColumn> &columns) override;
    void row(const QStringList &cells) override;
    void textBlock(const QString &text, bool monospace) override;
    void end() override;

    const ReportHeader &header() const { return m_header; }
    bool isComplete() const { return m_complete; }
    // Writes the recorded stream, begin() to end(), into `out`.
    void replay(ReportWriter &out) const;
    // The same in steps: writes up to `count` items from `from` (beginning
    // when `from` is 0, ending after the last item) and returns where the
    // next step starts; itemCount() when done.
    size_t replay(ReportWriter &out, size_t from, size_t count) const;
    size_t itemCount() const { return m_items.size(); }

private:
    struct Group
    {
        QString title;
        ReportFacts facts;
    };
    struct Columns
    {
        QList<ReportColumn> columns;
    };
    struct Text
    {
        QString text;
        bool monospace;
    };
    using Item = std::variant<Group, Columns, QStringList, Text>;

    ReportHeader m_header;
    std::vector<Item> m_items;
    bool m_complete = false;
};
