#pragma once

// The VBA project format (MS-OVBA) and its containers, on bytes only: the
// compressed container, the dir stream, the PROJECT stream, a compound file
// (MS-CFB) and the Access 97 stream bundle of MSysModules2. Every reader
// bounds each access and raises HostError 31001 on malformed input.

#include "host/objects/modulesource.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// Decompresses the compressed container that starts at `start`. A bad
// signature or a copy token reaching before the chunk raises 31001; a
// container cut short ends with what was decoded so far.
QByteArray ovbaDecompress(const QByteArray &data, qsizetype start = 0);

struct VbaDirModule
{
    QByteArray name;        // MODULENAME, in the project code page
    QString unicodeName;    // MODULENAMEUNICODE; empty when absent (Access 97)
    QByteArray streamName;  // MODULESTREAMNAME
    QString unicodeStream;  // its Unicode twin
    quint32 offset = 0;     // MODULEOFFSET: where the source starts
    bool procedural = true; // MODULETYPE 0x21; false for 0x22 (class/document)
};

struct VbaDir
{
    quint16 codePage = 0;
    QList<VbaDirModule> modules;
};

// Parses a decompressed dir stream.
VbaDir parseDirStream(const QByteArray &dir);

// Decodes project bytes with a Windows code page; code page 0 (the
// writer's ANSI code page) uses `fallbackCharset` (an iconv name).
QString decodeCodePage(const QByteArray &bytes, quint16 codePage, const QString &fallbackCharset);

// Module kinds from the PROJECT stream's text: Module=, Class=,
// DocClass=/Document=, up to the first [section].
QHash<QString, ModuleText::Kind> parseProjectStream(const QString &text);

// A compound file held in memory.
class CompoundFile
{
public:
    // Raises 31001 when the bytes are no readable compound file.
    explicit CompoundFile(const QByteArray &bytes);
    // The stream at a path of storage names ("VBA", "VBAProject", "dir");
    // names compare without case. Raises 31001 when absent or unreadable.
    QByteArray stream(const QStringList &path) const;
    bool hasEntry(const QStringList &path) const;

private:
    struct Entry
    {
        QString name;
        int type = 0; // 1 storage, 2 stream, 5 root
        quint32 left = 0xFFFFFFFF, right = 0xFFFFFFFF, child = 0xFFFFFFFF;
        quint32 start = 0;
        quint64 size = 0;
    };
    int findEntry(const QStringList &path) const;
    QByteArray chain(const QList<quint32> &table, quint32 start, quint64 size, int unit,
                     const QByteArray &area, qsizetype areaOffset) const;
    QByteArray sectorChain(quint32 start, quint64 size) const;

    QByteArray m_bytes;
    int m_sectorSize = 512;
    int m_miniSectorSize = 64;
    quint32 m_miniCutoff = 4096;
    QList<quint32> m_fat;
    QList<quint32> m_miniFat;
    QByteArray m_miniStream;
    QList<Entry> m_entries;
};

// The streams of one MSysModules2 Module value: name -> bytes.
QHash<QString, QByteArray> parseModuleBundle(const QByteArray &blob);
