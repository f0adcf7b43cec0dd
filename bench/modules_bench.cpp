// Times the Module List and the Module Source listing with their PDF reports:
//   file      -- a database file with VBA (default: the corpus's largest
//                project, ace/現品票ラベルプログラム...accdb), read by the Jet reader
//   generated -- a project of 500 standard modules x 40 procedures given in code
// Usage: modules_bench [database] [output folder]

#include "host/fixturesource.h"
#include "host/headlessui.h"
#include "host/jet/jetsource.h"
#include "host/jet/vbasource.h"
#include "host/listings.h"
#include "host/mainstate.h"
#include "host/modulesource.h"
#include "host/reports/reportoutput.h"
#include "host/reports/storereports.h"
#include "modules/modulescan.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// One standard module of `procedures` procedures, each with a Dim, a Call and
// a Const line, as a typical module.
QString moduleText(int number, int procedures)
{
    QString text = QStringLiteral("Attribute VB_Name = \"Module%1\"\r\nOption Compare Database\r\n"
                                  "Option Explicit\r\nPrivate mCount As Long\r\n")
                       .arg(number);
    for (int p = 0; p < procedures; ++p) {
        text += QStringLiteral("\r\n' Procedure %1\r\nPublic Function Proc%1(ByVal a As Long, "
                               "b As String) As Long\r\n    Dim i As Long, s As String\r\n"
                               "    Const LIMIT = 10\r\n    For i = 1 To LIMIT\r\n"
                               "        s = s & CStr(i) ' build\r\n    Next i\r\n"
                               "    Call Helper(a, s)\r\n    Proc%1 = Len(s)\r\nEnd Function\r\n")
                    .arg(p);
    }
    return text;
}

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
    if (!file.isEmpty() && QFileInfo::exists(file)) {
        MainState state;
        state.storePath = scratch.filePath(QStringLiteral("file.mdb"));
        state.opener = JetSource::opener();
        state.moduleScan.opener = JetModuleSource::opener();
        state.newTargetInstance().OpenCurrentDatabase(file);
        state.targetPath = file;
        timeListings(state, output, "file");
    }

    FixtureSource fixture;
    auto modules = std::make_shared<FixtureModules>();
    for (int m = 0; m < 500; ++m) {
        const QString name = QStringLiteral("Module%1").arg(m);
        fixture.document(QStringLiteral("Modules"), name);
        modules->add(name, ModuleText::Kind::Standard, moduleText(m, 40));
    }
    MainState state;
    state.storePath = scratch.filePath(QStringLiteral("generated.mdb"));
    state.opener = fixture.opener();
    state.moduleScan.opener = [modules](const QString &) { return modules; };
    state.newTargetInstance().OpenCurrentDatabase(QStringLiteral("generated.mdb"));
    state.targetPath = QDir(scratch.path()).filePath(QStringLiteral("generated.mdb"));
    QFile(state.targetPath).open(QIODevice::WriteOnly);
    timeListings(state, output, "generated");
    return 0;
}
