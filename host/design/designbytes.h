#pragma once

// Where a database file keeps the design stream of each form and report
// (notes: design-storage.md §1): the MSysAccessStorage tree (Access 2002 and
// later), the compound file cut into MSysAccessObjects rows (Access 2000),
// or MSysObjects.LvExtra and MSysModules2.Form (Access 97). A Jet 3 file
// that a later Access re-saved keeps an identical copy in
// MSysAccessObjects; the Access 97 storage is read for it.

#include <QByteArray>
#include <QList>
#include <QString>

class JetSource;

struct StoredDesignBytes
{
    QString name;
    bool isReport = false;
    QByteArray blob;  // the design stream
    QByteArray delta; // BlobDelta where the storage has one, else empty
};

struct StoredDesignList
{
    QString storage; // "MSysAccessStorage", "MSysAccessObjects", "MSysObjects", or "" for none
    QList<StoredDesignBytes> objects;
};

// Reads the design bytes of every form and report the file stores. `jet3`
// selects the Access 97 storage. A storage whose structure is damaged (an
// object directory that names a missing storage, a compound file that does
// not parse) raises 31001 naming the storage and what is missing.
StoredDesignList readStoredDesigns(JetSource &source, bool jet3);

// The entries of a "\x03DirData" object directory: name and storage number,
// in stored order. An entry that runs past the end ends the list.
QList<std::pair<QString, quint32>> parseDesignDirectory(const QByteArray &bytes);
