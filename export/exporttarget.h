#pragma once

// An export writes its file through an AtomicFile (host/io): beside the
// target, synced and renamed over it at the end. These raise its failures
// with the numbers Access gives them: 3044 for no file name or a folder
// that does not exist, 61 for a full disk, 75 for the rest (a folder in the
// way, a read-only file, a folder that cannot be written).

#include "host/io/atomicfile.h"
#include "host/vb/errors.h"

// Creates the export's temporary file, or raises.
void openExportFile(AtomicFile &file);
// Writes all of the bytes, or raises.
void writeExportFile(AtomicFile &file, const char *data, qsizetype size);
void writeExportFile(AtomicFile &file, const QByteArray &bytes);
// Puts the written file in place, or raises.
void commitExportFile(AtomicFile &file);
// The error of the file's last failure.
HostError exportFileError(const AtomicFile &file);
