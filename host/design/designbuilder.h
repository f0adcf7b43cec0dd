#pragma once

// Builds a Form or Report from a parsed text export: its properties in
// Access's order (propertyorder.h) with the file's values put in, its
// controls as Access's Controls collection gives them, its group levels and
// whether it has a module.
//
// What the export leaves out is the default: the form's per-type default
// block where it has the property, else Access's own default. NotDefault
// turns a Boolean from its default. A keyword the order does not know is
// kept, after the known properties, so that known positions never move.

#include "host/design/exportparser.h"
#include "host/objects/access.h"

// `name` is the object's name (the export does not carry it). Raises 31001
// naming the file and line for a value of the wrong kind, a block where a
// control or section was expected that is neither, and a file that holds no
// form or report. The design stream builder passes blocks decoded from the
// database file, whose `line`s are byte offsets: `placeUnit` says which.
AccessObject buildDesign(const ParsedExport &file, const QString &name,
                         QStringView placeUnit = u"line");
