#pragma once

// The design stream of a form or report as stored in the database file
// (notes: design-storage.md §2): a header, then one object (the form or
// report) whose children are the per-type default blocks, the group levels
// and the sections, whose children are the controls. Every record keeps its
// raw bytes; what a tag means is for the design builder.
//
//   header  := u16 version, u16 version_required, u32 0
//   object  := u16 type, record*, end
//   end     := FD | FE object | FF u16 count object{count}
//   compact record (versions below 20): u8 tag, then a value sized by the tag
//   wide record (20 and later): u32 tag, u16 global id, u32 data type,
//                               u32 x, u32 length, length bytes
// In the wide encoding FD/FE/FF are u32 values; the count stays u16.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

struct DesignRecord
{
    // What the value is. Compact records get it from the tag range, wide
    // ones from their data type.
    enum class Kind { Flag, Byte, Integer, Long, Single, Double, Guid, Text, Binary, Bytes };

    quint32 tag = 0;
    int globalId = -1;    // wide records only
    quint32 dataType = 0; // wide records only
    Kind kind = Kind::Flag;
    qsizetype offset = 0; // of the record in the stream
    QByteArray data;      // the value's bytes, exactly as stored

    // The number of a Byte, Integer or Long record (and of a wide flag that
    // carries a value; 0 for one without).
    qint64 number() const;
};

struct DesignNode
{
    quint16 type = 0; // 150 form, 151 report, 152-158 sections, 159 group level, controls
    qsizetype offset = 0;
    QList<DesignRecord> records;
    QList<DesignNode> children;
};

struct DesignStream
{
    quint16 version = 0;
    quint16 versionRequired = 0;
    DesignNode root;

    bool wide() const { return version >= 20; }
    // Strings: ANSI in the saving machine's code page below version 19,
    // UTF-16LE from 19 on.
    bool unicodeStrings() const { return version >= 19; }
};

// Parses a whole stream; `object` names it in errors ("form Orders"). Any
// count, length or marker that does not fit the bytes, bytes left after the
// object, or a tree nested deeper than Access builds one raises 31001
// "<object>: <format> design, byte offset N: <what>".
DesignStream parseDesignStream(QByteArrayView bytes, const QString &object);

// Adds the records of a BlobDelta stream (same tree, always wide) to the
// matching objects of its Blob: the delta holds what an older Blob version
// cannot (tags of 0x100 and up). Where the two trees differ in shape the
// delta's part below that point is left out, as nothing says where it goes.
void mergeDesignDelta(DesignNode &blob, const DesignNode &delta);

// "version 20": how errors and reports name a stream's format.
QString designFormatName(quint16 version);
