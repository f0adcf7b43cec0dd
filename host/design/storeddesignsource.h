#pragma once

// The designs of one database decoded from the file itself: the design
// bytes of every form and report are located once (designbytes.h), and each
// design is parsed and built the first time it is asked for and kept.

#include "host/design/designbytes.h"
#include "host/jet/jetoptions.h"
#include "host/objects/access.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <memory>
#include <optional>

class JetSource;

class StoredDesignSource : public DesignSource
{
public:
    // Opens the file as JetSource::open does (raising its errors); nothing
    // of the designs is read yet.
    explicit StoredDesignSource(const QString &path, const JetOptions &options = JetOptions());
    static DesignOpener opener(const JetOptions &options = JetOptions());

    // A design the file does not store raises 31001 naming the object, the
    // file and the storage looked in; a damaged stream raises 31001
    // "<file>: form NAME: version N design, byte offset N: <what>".
    Form form(const QString &name) override;
    Report report(const QString &name) override;

    // The forms and reports whose designs the file stores, in stored order
    // (a catalog entry without design bytes is left out); raises as form() does when the
    // storage itself is damaged.
    QStringList formNames();
    QStringList reportNames();
    // The storage the designs came from ("" when the file has none).
    QString storage();

private:
    const StoredDesignList &designs();
    QStringList names(bool isReport);
    AccessObject load(bool isReport, const QString &name);
    // Lower-case names of the VBA project's document modules (Form_X, Report_X).
    const QSet<QString> &moduleNames();

    QString m_path;
    JetOptions m_options;
    std::shared_ptr<JetSource> m_source;
    std::optional<StoredDesignList> m_designs;
    std::optional<QSet<QString>> m_moduleNames;
    QString m_ansiCharset;
    QHash<QString, AccessObject> m_forms;
    QHash<QString, AccessObject> m_reports;
};
