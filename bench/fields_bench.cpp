// Times the Table Field and Query Field listings and their PDF reports on a
// database file (default: the largest file of the corpus and the generated
// benchmark database of 1,000 tables and 2,000 queries), and prints the
// figures.
// Usage: fields_bench [database] [output folder] [--png]
// --png also draws the first page of each report to <folder>/<report>-1.png.

#include "bench/benchfiles.h"
#include "harvest/queryfields.h"
#include "harvest/tablefields.h"
#include "host/command/headlessui.h"
#include "host/command/mainstate.h"
#include "host/jet/jetsource.h"
#include "host/reports/pagedreportwriter.h"
#include "host/reports/pagetarget.h"
#include "host/reports/reportoutput.h"
#include "host/reports/reportregistry.h"
#include "host/reports/storereports.h"
#include "host/vb/errors.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>

namespace {

struct Figures
{
    qint64 harvestMs = 0;
    qint64 pdfMs = 0;
    int rows = 0;
    qint64 pdfBytes = 0;
};

class NullUi : public HeadlessUi
{
public:
    QString failure;
    void describeError(const QString &place, const HostError &error) override
    {
        failure = QStringLiteral("%1: %2 %3").arg(place).arg(error.code()).arg(error.description());
    }
};

int countRows(const QString &storePath, const QString &table)
{
    const auto store = Store::open(storePath);
    QSqlQuery q(store->connection());
    q.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table));
    return q.next() ? q.value(0).toInt() : -1;
}

void drawFirstPage(const QString &storePath, const QString &reportName, const QString &png)
{
    const QString connection = QStringLiteral("fields-bench-png");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(storePath);
        db.open();
        const auto report = createReport(reportName);
        PicturePageTarget target;
        PagedReportWriter writer(target);
        writeReport(*report, db, writer, reportHeader(*report, db));
        if (!target.pages().isEmpty()) {
            const qreal scale = 2;
            QImage image((target.pageSize() * scale).toSize(), QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.scale(scale, scale);
            painter.drawPicture(0, 0, target.pages().first());
            painter.end();
            image.save(png);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

// One listing: harvest with no report output, then the report to PDF.
Figures measure(MainState &state, void (*command)(MainState &, Ui &), Listing listing,
                const QStringList &tables, const QString &folder)
{
    Figures f;
    NullUi ui;
    QElapsedTimer timer;
    state.listingState(listing) = ListingNotProduced;
    state.reportOutput = nullptr;
    timer.start();
    command(state, ui);
    f.harvestMs = timer.elapsed();
    if (!ui.failure.isEmpty())
        std::printf("  failed: %s\n", qPrintable(ui.failure));
    for (const QString &table : tables)
        f.rows += countRows(state.storePath, table);

    FileReportOutput output(folder, FileReportOutput::Format::Pdf);
    state.reportOutput = &output;
    timer.restart();
    command(state, ui); // listing produced: this press only shows the report
    f.pdfMs = timer.elapsed();
    f.pdfBytes = QFileInfo(output.lastPath()).size();
    state.reportOutput = nullptr;
    return f;
}

void run(const QString &label, SourceOpener opener, const QString &path, const QString &folder,
         bool png)
{
    QDir().mkpath(folder);
    MainState state;
    state.storePath = folder + QStringLiteral("/Analize.mdb");
    QFile::remove(state.storePath);
    state.opener = std::move(opener);
    QElapsedTimer timer;
    timer.start();
    state.newTargetInstance().OpenCurrentDatabase(path);
    state.targetPath = path;
    const qint64 openMs = timer.elapsed();
    std::printf("%s\n  open %lld ms\n", qPrintable(label), static_cast<long long>(openMs));

    const Figures tables =
        measure(state, cmdTableF_Click, Listing::TableFields,
                {QStringLiteral("T_TableInfo"), QStringLiteral("T_TableItem")}, folder);
    std::printf("  Table Field: harvest %lld ms (%d rows), R_Table PDF %lld ms (%lld bytes)\n",
                static_cast<long long>(tables.harvestMs), tables.rows,
                static_cast<long long>(tables.pdfMs), static_cast<long long>(tables.pdfBytes));
    if (png)
        drawFirstPage(state.storePath, QStringLiteral("R_Table"),
                      folder + QStringLiteral("/R_Table-1.png"));

    const Figures queries =
        measure(state, cmdQueryF_Click, Listing::QueryFields,
                {QStringLiteral("T_QueryInfo"), QStringLiteral("T_QueryItem")}, folder);
    std::printf("  Query Field: harvest %lld ms (%d rows), R_Query PDF %lld ms (%lld bytes)\n",
                static_cast<long long>(queries.harvestMs), queries.rows,
                static_cast<long long>(queries.pdfMs), static_cast<long long>(queries.pdfBytes));
    if (png)
        drawFirstPage(state.storePath, QStringLiteral("R_Query"),
                      folder + QStringLiteral("/R_Query-1.png"));
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    registerStoreReports();
    QStringList args = app.arguments().mid(1);
    const bool png = args.removeAll(QStringLiteral("--png")) > 0;
    QStringList databases{args.value(0)};
    if (databases[0].isEmpty())
        databases = largestCorpusDatabases(1) + QStringList{generatedBenchDatabase()};
    QTemporaryDir temp;
    const QString folder = args.value(1).isEmpty() ? temp.path() : args.value(1);
    for (const QString &database : databases) {
        if (database.isEmpty())
            continue;
        const QFileInfo info(database);
        const QString subfolder = folder + u'/' + info.completeBaseName();
        run(QStringLiteral("%1 (%2 bytes)").arg(database).arg(info.size()), JetSource::opener(),
            info.absoluteFilePath(), subfolder, png);
    }
    return 0;
}
