#pragma once

// AtomicFile writes a file through a new hidden temporary file in the
// destination's folder (`.NAME.RANDOM.tmp`), synced and renamed over the
// destination on commit(). An interrupted, failed or abandoned write leaves
// the old file as it was and no half file; a symbolic link at the
// destination is replaced, never followed (QSaveFile writes through links);
// a regular file replaced keeps its permissions. Every output of the
// program is written this way.

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

    // Creates the temporary file; false (see errorString() and
    // systemError()) when it cannot. Refused before anything is created: no
    // path or a folder that does not exist (ENOENT), a folder at the path
    // (EISDIR), a file there that nobody may write (EACCES, even for root:
    // it is kept as it is).
    bool open();
    // Where to write between open() and commit().
    QIODevice *device() { return &m_file; }
    // Writes all of the data; false on a short write (a full disk: ENOSPC).
    bool write(const char *data, qsizetype size);
    bool write(const QByteArray &bytes) { return write(bytes.constData(), bytes.size()); }
    // For a writer that opens the temporary file by name: closes our
    // handle to it. commit() syncs what the other writer left there.
    void releaseHandle();
    // Flushes the data to disk and puts the file in place; false when any
    // write, the sync or the rename failed.
    bool commit();

    const QString &path() const { return m_path; }
    const QString &temporaryPath() const { return m_tempPath; }
    QString errorString() const { return m_error; }
    // The errno of the failure errorString() describes, 0 when none.
    int systemError() const { return m_errno; }

private:
    QString m_path;
    QString m_tempPath; // QFile opened on a descriptor does not know its name
    QFile m_file;
    QString m_error;
    int m_errno = 0;
    bool m_released = false;
    bool m_committed = false;

    bool fail(int error, const QString &what);
    bool failSystem(int error, const QString &what); // what, then the error's text
    bool failWriting();
};
