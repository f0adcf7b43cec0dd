#pragma once

// HtmlReportWriter streams a report into one self-contained UTF-8 HTML file:
// inline CSS, a header, a section per group with its facts and a table whose
// headings repeat on every printed page. Text is escaped and keeps its line
// breaks. The file is written through a temporary file that replaces the
// target only at end(), so a failed report leaves no half-written file.

#include "host/reports/reportwriter.h"

#include "host/io/atomicfile.h"

class HtmlReportWriter : public ReportWriter
{
public:
    // Raises HostError 75 naming the path when the file cannot be created.
    explicit HtmlReportWriter(const QString &path);
    ~HtmlReportWriter() override;

    void begin(const ReportHeader &header) override;
    void group(const QString &title, const ReportFacts &facts) override;
    void columns(const QList<ReportColumn> &columns) override;
    void row(const QStringList &cells) override;
    void textBlock(const QString &text, bool monospace) override;
    // Raises HostError 75 when the file cannot be completed.
    void end() override;

private:
    void write(const QString &text);
    void flush();
    void closeTable();
    void closeSection();

    QString m_path;
    AtomicFile m_file;
    QByteArray m_buffer;
    QList<ReportColumn> m_columns;
    bool m_inSection = false;
    bool m_inTable = false;
};
