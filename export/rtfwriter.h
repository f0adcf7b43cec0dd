#pragma once

// RtfWriter writes rows as a rich-text table: a header row of the field
// names in bold (repeated on each page), then one table row (\trowd ...
// \row) per record, the values as a datasheet shows them (valuetext.h).
// Characters beyond ASCII are \uN? escapes, so the file is plain ASCII;
// the font table names a Japanese face (MS Mincho, charset 128) with IPA
// Mincho as its alternative. Column widths are measured over the header
// and the first SampleRows records, held back until then; every later row
// streams straight through.

#include "export/exporttarget.h"
#include "export/rowsink.h"

class RtfWriter : public RowSink
{
public:
    static constexpr qsizetype SampleRows = 100;

    // The file must outlive the writer.
    explicit RtfWriter(AtomicFile &file);

    void begin(const QStringList &fieldNames) override;
    void row(const QList<Value> &values) override;
    void end() override;

private:
    AtomicFile &m_file;
    QStringList m_names;
    QList<QStringList> m_sample; // the rows held back until the widths are known
    QList<int> m_rightEdges;     // twips from the left margin
    QByteArray m_rowStart;       // \trowd with the cells' edges, once the widths are known
    QByteArray m_buffer;

    void fixWidths();
    void writeRow(const QStringList &texts, bool header);
};

// RTF's escape of a text: \ { } escaped, tab and line breaks as \tab and
// \line, every character beyond ASCII as \uN? (N signed 16-bit).
QByteArray rtfEscaped(const QString &text);
