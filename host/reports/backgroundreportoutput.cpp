#include "host/reports/backgroundreportoutput.h"

#include "host/reports/reportregistry.h"
#include "host/store/storereadconnection.h"

#include <QMutexLocker>
#include <future>

BackgroundReportOutput::BackgroundReportOutput(const QString &folder,
                                               FileReportOutput::Format format)
    : m_folder(folder)
    , m_format(format)
{
}

BackgroundReportOutput::~BackgroundReportOutput()
{
    join();
}

void BackgroundReportOutput::join()
{
    if (m_worker.joinable())
        m_worker.join();
}

QString BackgroundReportOutput::pathFor(const QString &reportName) const
{
    FileReportOutput file(m_folder, m_format);
    file.setNameSuffix(m_nameSuffix);
    return file.pathFor(reportName);
}

void BackgroundReportOutput::show(const QString &reportName, const StoreReport &,
                                  QSqlDatabase &store)
{
    join();
    std::shared_ptr<StoreReport> report = createReport(reportName);
    std::promise<void> snapshotTaken;
    std::future<void> snapshot = snapshotTaken.get_future();
    m_worker = std::thread([this, reportName, report, storePath = store.databaseName(),
                            path = pathFor(reportName), suffix = m_nameSuffix,
                            snapshotTaken = std::move(snapshotTaken)]() mutable {
        std::optional<StoreReadConnection> connection;
        try {
            connection.emplace(storePath);
            connection->holdSnapshot();
        } catch (...) {
            snapshotTaken.set_exception(std::current_exception());
            return;
        }
        snapshotTaken.set_value();
        Outcome outcome;
        outcome.reportName = reportName;
        outcome.path = path;
        try {
            FileReportOutput file(m_folder, m_format);
            file.setNameSuffix(suffix);
            file.show(reportName, *report, connection->db());
            outcome.pageCount = file.lastPageCount();
        } catch (const HostError &error) {
            outcome.error = error;
        } catch (const std::exception &error) {
            outcome.error = HostError::unexpected(error);
        }
        connection.reset();
        outcome.finished = std::chrono::steady_clock::now();
        QMutexLocker lock(&m_mutex);
        m_finished.append(std::move(outcome));
    });
    try {
        snapshot.get();
    } catch (...) {
        join();
        throw;
    }
    ++m_launched;
}

QList<BackgroundReportOutput::Outcome> BackgroundReportOutput::takeFinished(bool wait)
{
    if (wait)
        join();
    QMutexLocker lock(&m_mutex);
    return std::exchange(m_finished, {});
}
