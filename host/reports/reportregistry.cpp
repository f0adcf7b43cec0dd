#include "host/reports/reportregistry.h"

#include "host/vb/errors.h"

#include <QMap>
#include <QMutex>
#include <QMutexLocker>

namespace {

struct Entry
{
    QString name;
    ReportFactory factory;
};

struct Registry
{
    QMutex mutex;
    QMap<QString, Entry> entries; // by case-folded name
};

Registry &registry()
{
    static Registry instance;
    return instance;
}

QString key(const QString &name)
{
    return name.toCaseFolded();
}

} // namespace

void registerReport(const QString &name, ReportFactory factory)
{
    if (name.isEmpty() || !factory)
        throw HostError::invalidCall(u"registerReport");
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    r.entries.insert(key(name), Entry{name, std::move(factory)});
}

std::unique_ptr<StoreReport> createReport(const QString &name)
{
    ReportFactory factory;
    {
        Registry &r = registry();
        QMutexLocker lock(&r.mutex);
        const auto it = r.entries.constFind(key(name));
        if (it != r.entries.constEnd())
            factory = it->factory;
    }
    std::unique_ptr<StoreReport> report = factory ? factory() : nullptr;
    if (!report)
        throw HostError(Err::NoSuchReport,
                        QStringLiteral("The report name '%1' you entered is misspelled or refers "
                                       "to a report that doesn't exist")
                            .arg(name));
    return report;
}

bool hasReport(const QString &name)
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    return r.entries.contains(key(name));
}

QStringList reportNames()
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    QStringList names;
    for (const Entry &entry : std::as_const(r.entries))
        names.append(entry.name);
    names.sort(Qt::CaseInsensitive);
    return names;
}
