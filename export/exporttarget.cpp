#include "export/exporttarget.h"

#include <cerrno>

HostError exportFileError(const AtomicFile &file)
{
    const Err number = file.systemError() == ENOENT   ? Err::InvalidPath
                       : file.systemError() == ENOSPC ? Err::DiskFull
                                                      : Err::PathFileAccess;
    return HostError(
        number, QStringLiteral("Export to \"%1\" failed: %2").arg(file.path(), file.errorString()));
}

void openExportFile(AtomicFile &file)
{
    if (!file.open())
        throw exportFileError(file);
}

void writeExportFile(AtomicFile &file, const char *data, qsizetype size)
{
    if (!file.write(data, size))
        throw exportFileError(file);
}

void writeExportFile(AtomicFile &file, const QByteArray &bytes)
{
    writeExportFile(file, bytes.constData(), bytes.size());
}

void commitExportFile(AtomicFile &file)
{
    if (!file.commit())
        throw exportFileError(file);
}
