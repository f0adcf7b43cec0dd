#include "host/jet/write/designstoragewriter.h"

#include "host/jet/bytes.h"

QByteArray designDirectory(const QStringList &names)
{
    QByteArray out(4, '\0');
    for (qsizetype i = 0; i < names.size(); ++i) {
        // Catalog names have at most 64 characters, so the entry's size
        // always fits its byte.
        QByteArray entry;
        for (QChar c : names[i])
            append16(entry, c.unicode());
        append32(entry, quint32(i));
        out.append(char(0x04));
        out.append(char(entry.size()));
        out += entry;
    }
    return out;
}

QList<CompoundStream> designStorageStreams(const QList<JetWriterDocument> &documents)
{
    QList<CompoundStream> streams;
    for (const JetWriterDocument::Kind kind :
         {JetWriterDocument::Form, JetWriterDocument::Report}) {
        const QString folder =
            kind == JetWriterDocument::Form ? QStringLiteral("Forms") : QStringLiteral("Reports");
        QStringList names;
        for (const JetWriterDocument &d : documents) {
            if (d.kind != kind || d.design.isEmpty())
                continue;
            streams.append(
                {{folder, QString::number(names.size()), QStringLiteral("Blob")}, d.design});
            names.append(d.name);
        }
        if (!names.isEmpty())
            streams.append({{folder, QStringLiteral("\x03"
                                                    "DirData")},
                            designDirectory(names)});
    }
    return streams;
}
