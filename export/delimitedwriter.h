#pragma once

// DelimitedWriter writes rows as Access's delimited text export does by
// default: fields separated by commas, text fields in double quotes with a
// quote inside doubled, other values bare (see valuetext.h), each record
// ended by CR LF; line breaks inside a text stay inside its quotes. The
// field names, quoted, form the first line only when asked for.

#include "export/exporttarget.h"
#include "export/rowsink.h"
#include "export/textencoder.h"

class DelimitedWriter : public RowSink
{
public:
    // The file must outlive the writer. The code page is one TextEncoder
    // accepts; a character it cannot hold raises 31006 naming the row and
    // the field.
    DelimitedWriter(AtomicFile &file, const QString &codePage, bool fieldNames);

    void begin(const QStringList &fieldNames) override;
    void row(const QList<Value> &values) override;
    void end() override;

private:
    AtomicFile &m_file;
    TextEncoder m_encoder;
    bool m_fieldNames;
    QStringList m_names;
    qint64 m_rows = 0;
    QByteArray m_buffer;

    void appendQuoted(const QString &text, const QString &where);
    void appendText(const QString &text, const QString &where);
    void flushIfFull();
};
