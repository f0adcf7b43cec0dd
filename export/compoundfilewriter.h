#pragma once

// Writes a compound file (MS-CFB version 3, 512-byte sectors) that holds
// one stream, for a stream too large to build in memory: the stream's
// sectors first, then the directory, the FAT and as many DIFAT sectors as
// the FAT needs, so the file is written front to back in one pass. A
// stream under the mini-stream cutoff (4096 bytes) goes through
// buildCompoundFile (host/jet/write/cfbwriter.h), which lays out the mini
// stream the format asks for.

#include "export/exporttarget.h"

#include <QString>
#include <functional>

// Takes the stream's bytes in pieces.
using ByteWriter = std::function<void(const char *data, qsizetype size)>;

// `writeStream` must give exactly `size` bytes to the writer it is given.
// Raises what writeExportFile raises.
void writeSingleStreamCompoundFile(AtomicFile &out, const QString &streamName, quint64 size,
                                   const std::function<void(const ByteWriter &)> &writeStream);
