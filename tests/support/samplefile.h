#pragma once

// The bundled sample (a Jet 3 file with 2,048-byte pages) written afresh by
// the Jet writer, for the suites that link it.

#include "host/jet/write/jetwriter.h"
#include "host/jet/write/jetwriterdesc.h"

#include <QFile>
#include <QTemporaryDir>

// Writes dir/hanbai.mdb and returns its path; empty when the description
// is missing.
inline QString writeSample(const QTemporaryDir &dir)
{
    QFile json(QStringLiteral(QUILLMARK_SOURCE_DIR "/samples/hanbai.json"));
    if (!json.open(QIODevice::ReadOnly))
        return QString();
    const QString path = dir.filePath(QStringLiteral("hanbai.mdb"));
    writeJetDatabase(
        parseJetDescription(json.readAll(), QStringLiteral(QUILLMARK_SOURCE_DIR "/samples")), path);
    return path;
}
