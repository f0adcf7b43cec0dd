#pragma once

// Property blobs (MSysObjects.LvProp): a name list, then value blocks for the
// object itself and for each of its columns. Parsed here rather than by
// libmdb, which turns every value into text and loses the stored order.

#include "host/objects/properties.h"

#include <QByteArray>
#include <QList>
#include <functional>

struct JetPropertyBlock
{
    QString name; // empty for the object's own block, else the column's name
    Properties properties;
};

using JetTextDecoder = std::function<QString(const char *data, qsizetype size)>;

// Blocks in stored order, values typed (Boolean, Integer/Long by stored
// width, Currency, Single, Double, Date, Text, Binary). A malformed blob
// yields the blocks read before the fault and sets *damaged.
QList<JetPropertyBlock> parsePropertyBlob(const QByteArray &blob, const JetTextDecoder &decode,
                                          bool *damaged = nullptr);

// The block with this name (exact match first, then ignoring case); the
// object's own block for an empty name. Returns an empty collection owned by
// ownerName when absent.
Properties propertyBlock(const QList<JetPropertyBlock> &blocks, const QString &name,
                         const QString &ownerName);
