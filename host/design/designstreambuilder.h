#pragma once

// Builds a Form or Report from a design stream read from the database file
// (designstream.h), through the same builder as the text export
// (designbuilder.h), so both give the same properties in the same order
// with the same defaults.
//
// Each record is named by its object type and tag, else its global id
// (designpropertynames.h). A record without a name, or whose value does not
// fit the property its name gives, is kept as "Tag0x00E5" with its value,
// after the known properties.

#include "host/design/designstream.h"
#include "host/design/exportparser.h"
#include "host/objects/access.h"

// The stream as the block tree of an export: the keywords Access's export
// uses for each object type, one property per record with `line` = its byte
// offset. `ansiCharset` (an iconv name) decodes the strings of version-17
// streams. An object type that is no control, section or group level where
// one is expected raises 31001 naming `where` and the byte offset.
ParsedExport designStreamBlocks(const DesignStream &stream, const QString &where,
                                const QString &ansiCharset);

// `name` is the object's name; `where` names the stream in errors
// ("Strings.mdb: form AlphaText"). Raises 31001 as buildDesign does, with
// byte offsets for lines. `hasModule`: the file keeps a class module for
// the object (the stream itself does not say).
AccessObject buildStoredDesign(const DesignStream &stream, const QString &name,
                               const QString &where, const QString &ansiCharset,
                               bool hasModule = false);

// The placeholder name of a record nothing names: "Tag0x00E5".
QString unnamedRecordName(quint32 tag);
