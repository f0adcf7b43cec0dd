#pragma once

// BackgroundReportOutput writes report files as FileReportOutput does, each on
// a second thread, so that the command line harvests the next listing while
// the last one's report is laid out and written. show() waits for the report
// before it, then returns once the new report's own connection holds its
// snapshot of the store: later writes to the store do not reach it. The store
// must let readers run beside its writer (Store::allowReadersWhileWriting).
// The report written is a new instance from the registry, so only registered
// reports can be shown. Its outcome, failures included, is collected with
// takeFinished().

#include "host/reports/reportoutput.h"
#include "host/vb/errors.h"

#include <QList>
#include <QMutex>
#include <chrono>
#include <optional>
#include <thread>

class BackgroundReportOutput : public ReportOutput
{
public:
    struct Outcome
    {
        QString reportName;
        QString path;      // the file written, or the one that would have been
        int pageCount = 0; // PDF only
        std::optional<HostError> error;
        std::chrono::steady_clock::time_point finished;
    };

    BackgroundReportOutput(const QString &folder, FileReportOutput::Format format);
    // Waits for the report being written.
    ~BackgroundReportOutput() override;

    // Raises at once what the report's connection raises (no store, no
    // snapshot) and an unknown report name; the rest comes as its outcome.
    void show(const QString &reportName, const StoreReport &report, QSqlDatabase &store) override;
    // As FileReportOutput's, for the reports shown after it is set.
    void setNameSuffix(const QString &suffix) { m_nameSuffix = suffix; }
    QString pathFor(const QString &reportName) const;
    // Reports shown so far, finished or not.
    int launched() const { return m_launched; }
    // The outcomes of the reports finished since the last call, in the order
    // they were shown; with `wait`, after the one being written finished.
    QList<Outcome> takeFinished(bool wait);

private:
    void join();

    QString m_folder;
    FileReportOutput::Format m_format;
    QString m_nameSuffix;
    int m_launched = 0;
    std::thread m_worker;
    QMutex m_mutex; // guards m_finished
    QList<Outcome> m_finished;
};
