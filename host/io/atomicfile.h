#pragma once

// AtomicFile writes a file through a new temporary file in the destination's
// folder and renames it over the destination on commit(). An interrupted or
// failed write leaves the old file as it was and no half file; a symbolic
// link at the destination is replaced, never followed (QSaveFile writes
// through links). Every output of the program is written this way.

#include <QFile>
#include <QString>

class AtomicFile
{
public:
    explicit AtomicFile(const QString &path);
    // Removes the temporary file unless commit() succeeded.
    ~AtomicFile();
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    // Creates the temporary file; false (see errorString()) when it cannot.
    bool open();
    // Where to write between open() and commit().
    QIODevice *device() { return &m_file; }
    // Flushes the data to disk and puts the file in place; false when any
    // write or the rename failed.
    bool commit();
    QString errorString() const { return m_error; }

private:
    QString m_path;
    QString m_tempPath; // QFile opened on a descriptor does not know its name
    QFile m_file;
    QString m_error;
    bool m_committed = false;
};
