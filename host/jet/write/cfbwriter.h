#pragma once

// Writes a compound file (MS-CFB version 3, 512-byte sectors) holding the
// given streams; storages are implied by the stream paths. Streams under
// 4096 bytes go to the mini stream as the format requires. The sibling
// trees are balanced and coloured so that a validating reader accepts them.

#include <QByteArray>
#include <QList>
#include <QStringList>

struct CompoundStream
{
    QStringList path; // storage names, then the stream name
    QByteArray data;
};

// Raises HostError 3000 when a name is longer than 31 characters or the
// file would need more than 109 FAT sectors (about 7 MB).
QByteArray buildCompoundFile(const QList<CompoundStream> &streams);
