// Times the Module List and the Module Source listing with their PDF reports:
//   file      -- a database file with VBA (default: the corpus's largest
//                project, ace/現品票ラベルプログラム...accdb), read by the Jet reader
//   generated -- the generated benchmark database's 500 standard modules of
//                40 procedures each
// Usage: modules_bench [database] [output folder]

#include "bench/benchfiles.h"
#include "host/command/headlessui.h"
#include "host/command/listings.h"
#include "host/command/mainstate.h"
#include "host/jet/jetsource.h"
#include "host/jet/vbasource.h"
#include "host/objects/modulesource.h"
#include "host/reports/reportoutput.h"
#include "host/reports/storereports.h"
#include "modules/modulescan.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// The harvest alone (no report shown), then the report written as PDF.
void timeListings(MainState &state, ReportOutput &output, const char *label)
{
    HeadlessUi ui;
    const struct
    {
        const char *name;
        void (*command)(MainState &, Ui &);
        const char *report;
    } listings[] = {{"module list", cmdModuleL_Click, "R_Module"},
                    {"module source", cmdModM_Click, "R_ProcList"}};
    for (const auto &listing : listings) {
        state.reportOutput = nullptr;
        QElapsedTimer timer;
        timer.start();
        listing.command(state, ui);
        const double harvest = timer.elapsed() / 1000.0;
        state.reportOutput = &output;
        timer.restart();
        launchReport(state, QString::fromLatin1(listing.report));
        std::printf("%-10s %-14s harvest %8.3f s   report %8.3f s%s\n", label, listing.name,
                    harvest, timer.elapsed() / 1000.0,
                    ui.messages.isEmpty() ? "" : "  (ended with an error message)");
    }
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    registerStoreReports();
    const QStringList args = app.arguments();
    QTemporaryDir scratch;
    const QString outDir = args.value(2, scratch.path());
    FileReportOutput output(outDir, FileReportOutput::Format::Pdf);
    std::printf("listing and report (PDF) times, store in a temporary folder\n");

    QString file = args.value(1);
#ifdef QUILLMARK_CORPUS_DIR
    if (file.isEmpty()) {
        const QDir ace(QStringLiteral(QUILLMARK_CORPUS_DIR "/ace"));
        for (const QString &name : ace.entryList({QStringLiteral("*Rev1*")}))
            file = ace.filePath(name);
    }
#endif
    const auto time = [&](const QString &path, const char *label) {
        MainState state;
        state.storePath = scratch.filePath(QString::fromLatin1(label) + QStringLiteral(".mdb"));
        state.opener = JetSource::opener();
        state.moduleScan.opener = JetModuleSource::opener();
        state.newTargetInstance().OpenCurrentDatabase(path);
        state.targetPath = path;
        timeListings(state, output, label);
    };
    if (!file.isEmpty() && QFileInfo::exists(file))
        time(file, "file");
    if (const QString generated = generatedBenchDatabase(); !generated.isEmpty())
        time(generated, "generated");
    return 0;
}
