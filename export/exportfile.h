#pragma once

// ExportFile is where an export writes: a new file beside the target (same
// folder, hidden temporary name), renamed over the target by commit(). A
// failed or abandoned export removes its temporary file, so the target
// path holds either its old file, untouched, or the whole new one.

#include <QFile>
#include <QString>

class ExportFile
{
public:
    // Raises 3044 when the path is empty or its folder does not exist, 75
    // when the folder cannot be written, the target is a folder or a
    // read-only file.
    explicit ExportFile(const QString &target);
    // Removes the temporary file unless commit() succeeded.
    ~ExportFile();
    ExportFile(const ExportFile &) = delete;
    ExportFile &operator=(const ExportFile &) = delete;

    const QString &target() const { return m_target; }
    // The temporary file's path, for writers that open the file by name.
    const QString &temporaryPath() const { return m_temp; }
    // The temporary file, open for writing.
    QFile &file() { return m_file; }
    // Writes all of `bytes`; a short write raises 61 (disk full) or 75.
    void write(const QByteArray &bytes);
    void write(const char *data, qsizetype size);
    // Flushes, syncs and renames over the target; raises 61 or 75.
    void commit();

private:
    QString m_target;
    QString m_temp;
    QFile m_file;
    bool m_committed = false;

    [[noreturn]] void fail(const QString &what, int error) const;
};
