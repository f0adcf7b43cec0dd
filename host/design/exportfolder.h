#pragma once

// Where the text exports of one database are found. Tools that keep Access
// objects under version control write them as forms/NAME.txt, reports/…,
// macros/…, modules/…, or as Form/, Report/, Macro/, Module/ with endings
// of their own (.bas, .cls, .form, .report, .accfrm, .accrpt, .accmac).

#include <QString>
#include <QStringList>

enum class ExportObjectKind { Form, Report, Macro, Module };

class ExportFolder
{
public:
    explicit ExportFolder(QString root);

    const QString &root() const { return m_root; }

    // The subfolders an object of this kind is looked for in, as full paths.
    QStringList foldersOf(ExportObjectKind kind) const;

    // The file of object `name`: a file named exactly NAME plus one of
    // `endings` (all the endings above when empty) in one of the kind's
    // folders, else one whose name differs only in case. Empty when there is
    // none.
    QString find(ExportObjectKind kind, const QString &name,
                 const QStringList &endings = QStringList()) const;

    // The endings looked for when none are given, with their dots.
    static const QStringList &fileEndings();

private:
    QString m_root;
};

// Where the exports of the database at `databasePath` are looked for when
// the user names no folder: <dir>/<basename>.src beside the database.
QString defaultExportFolder(const QString &databasePath);
