// The index walker over every index Access itself wrote in the corpus: the
// evidence that the walker's reading of node pages, prefixes, tails and
// key encodings matches Access, before it judges the writer's indexes.

#include "host/jet/jetfile.h"
#include "host/jet/jetsource.h"
#include "jet/corpuscatalog.h"
#include "jet/indexwalker.h"

#include <gtest/gtest.h>
#include <iostream>

namespace {

// The TDEF pages of the local tables, from the catalog.
QList<quint32> tablePages(const QString &path)
{
    QList<quint32> pages;
    JetTableReader catalog = JetSource::open(path)->readTable(QStringLiteral("MSysObjects"));
    const int id = int(catalog.fieldNames().indexOf(QStringLiteral("Id")));
    const int type = int(catalog.fieldNames().indexOf(QStringLiteral("Type")));
    while (catalog.next())
        if (catalog.value(type).toDouble() == 1)
            pages.append(quint32(catalog.value(id).toDouble()));
    return pages;
}

} // namespace

TEST(IndexWalkerCorpus, EveryIndexAccessWroteWalksCleanly)
{
    if (corpusDir().isEmpty())
        GTEST_SKIP() << "no corpus";
    int indexes = 0, keyed = 0, pages = 0, nodes = 0, entries = 0, deep = 0, descending = 0;
    int countsMatch = 0;
    // Text keys per format (0 Jet 3, 1 Jet 4): the evidence for the
    // collation tables, which only Access-written keys can give.
    int textCompared[2] = {}, textSkipped[2] = {}, textIndexes[2] = {};
    for (const QString &path : corpusDatabases()) {
        if (!path.contains(QLatin1String("/jet")) || !readable(path))
            continue;
        SCOPED_TRACE(path.toStdString());
        const auto file = JetFile::open(path, JetOptions());
        const int format = file->header().isJet3() ? 0 : 1;
        for (quint32 tdef : tablePages(path)) {
            for (const IndexWalk &w : walkIndexes(*file, tdef)) {
                EXPECT_TRUE(w.faults.isEmpty())
                    << "table page " << tdef << ", index " << w.realIndex << " "
                    << w.names.join(u',').toStdString() << ": "
                    << w.faults.mid(0, 5).join(u"; ").toStdString();
                ++indexes;
                keyed += w.keysChecked;
                pages += w.leafPages + w.nodePages;
                nodes += w.nodePages;
                entries += w.entries;
                deep += w.depth > 1;
                descending += w.descending.contains(true) && w.keysChecked;
                countsMatch += int(w.tdefKeyCount) == w.distinctKeys;
                if (w.textKey) {
                    ++textIndexes[format];
                    textCompared[format] += w.keysCompared;
                    textSkipped[format] += w.keysSkipped;
                }
            }
        }
    }
    std::cout << "corpus indexes walked: " << indexes << " (" << keyed
              << " with every key recomputed, " << descending << " of them descending), " << pages
              << " pages (" << nodes << " node pages), " << entries << " entries, " << deep
              << " trees deeper than one leaf; TDEF count = distinct keys in " << countsMatch
              << "\n";
    for (int format : {0, 1})
        std::cout << (format ? "Jet 4" : "Jet 3") << " text indexes: " << textIndexes[format]
                  << ", keys recomputed and matched: " << textCompared[format]
                  << ", skipped (values outside the tables or other sort orders): "
                  << textSkipped[format] << "\n";
    EXPECT_GT(keyed, 0);
    EXPECT_GT(textCompared[0], 1000);
    EXPECT_GT(textCompared[1], 1000);
    EXPECT_GT(deep, 0);
}
