#include "app/cli.h"

#include "app/wiring.h"
#include "harvest/objectlist.h"
#include "harvest/queryfields.h"
#include "harvest/tablefields.h"
#include "host/errors.h"
#include "host/headlessui.h"
#include "host/mainstate.h"
#include "host/reports/reportoutput.h"
#include "host/reports/storereports.h"
#include "modules/modulescan.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace {

void printErr(const QString &text)
{
    std::fprintf(stderr, "%s\n", qPrintable(text));
}
void printOut(const QString &text)
{
    std::fprintf(stdout, "%s\n", qPrintable(text));
}

const char *const usage =
    "Usage:\n"
    "  quillmark-cli --version\n"
    "  quillmark-cli --help\n"
    "  quillmark-cli document DB [--listing NAME] [--out DIR] [--format pdf|html]\n"
    "                [--store FILE] [--jet3-charset NAME]\n"
    "\n"
    "document  writes the listing of the database DB into the documentation store\n"
    "          (Analize.mdb beside the program, or --store FILE) and writes its report\n"
    "          into DIR (default: the current folder) as PDF (default) or HTML.\n"
    "NAME is one of the listings this build has, or all (default: objects); a\n"
    "wrong name prints the list.\n"
    "Errors print the place, the error number and a description; the exit status\n"
    "is then 1 (2 for wrong arguments).\n";

// The window's controls kept in memory; what the window would show goes to
// the terminal.
class ConsoleUi : public HeadlessUi
{
public:
    bool failed = false;

    void setText(Ctl control, const QString &text) override
    {
        HeadlessUi::setText(control, text);
        if (control == Ctl::txtMesege && !text.isEmpty())
            printErr(text);
    }
    MsgAnswer messageBox(const QString &text, MsgButtons buttons, MsgIcon icon,
                         const std::optional<QString> &title) override
    {
        printErr(QString(text).replace(QChar(13), QChar(10)));
        return HeadlessUi::messageBox(text, buttons, icon, title);
    }
    void describeError(const QString &place, const HostError &error) override
    {
        failed = true;
        printErr(QStringLiteral("%1: error %2: %3")
                     .arg(place)
                     .arg(error.code())
                     .arg(error.description()));
    }
};

// The listings the command line runs, by their --listing name. Each entry is
// the window's command for that listing.
// "all" runs those marked so, in table order (the three source listings
// share one store table and report, so "all" takes the standard modules').
struct ListingCommand
{
    const char *name;
    void (*command)(MainState &, Ui &);
    bool inAll;
};
const ListingCommand listingCommands[] = {
    {"objects", cmdObject_Click, true},     {"tables", cmdTableF_Click, true},
    {"queries", cmdQueryF_Click, true},     {"modules", cmdModuleL_Click, true},
    {"form-source", cmdModF_Click, false},  {"report-source", cmdModR_Click, false},
    {"module-source", cmdModM_Click, true},
};

QList<const ListingCommand *> findListings(const QString &name)
{
    QList<const ListingCommand *> found;
    for (const ListingCommand &listing : listingCommands) {
        if (name == QLatin1String(listing.name) || (name == QLatin1String("all") && listing.inAll))
            found << &listing;
    }
    return found;
}

QString listingNames()
{
    QStringList names;
    for (const ListingCommand &listing : listingCommands)
        names << QString::fromLatin1(listing.name);
    return names.join(QLatin1String(", ")) + QStringLiteral(", all");
}

struct DocumentOptions
{
    QString database;
    QString listing = QStringLiteral("objects");
    QString outDir = QStringLiteral(".");
    QString format = QStringLiteral("pdf");
    QString store;
    QString jet3Charset;
};

int document(const DocumentOptions &options)
{
    MainState state;
    state.programFolder =
        QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator();
    state.storePath = options.store.isEmpty() ? state.programFolder + QStringLiteral("Analize.mdb")
                                              : QFileInfo(options.store).absoluteFilePath();
    wireJetHost(state, JetOptions{options.jet3Charset});
    registerStoreReports();

    const QFileInfo outDir(options.outDir);
    if (!outDir.isDir()) {
        printErr(QStringLiteral("--out: %1 is not a folder").arg(options.outDir));
        return 2;
    }
    FileReportOutput output(outDir.absoluteFilePath(), options.format == QLatin1String("html")
                                                           ? FileReportOutput::Format::Html
                                                           : FileReportOutput::Format::Pdf);
    state.reportOutput = &output;

    ConsoleUi ui;
    const QString path = QFileInfo(options.database).absoluteFilePath();
    try {
        state.newTargetInstance().OpenCurrentDatabase(path, false);
        state.targetPath = path;
    } catch (const HostError &error) {
        ui.describeError(QStringLiteral("SelectFile"), error);
        return 1;
    }

    for (const ListingCommand *listing : findListings(options.listing)) {
        listing->command(state, ui);
        if (ui.failed)
            return 1;
        printOut(output.lastPath());
    }
    return 0;
}

} // namespace

int runCli(const QStringList &arguments)
{
    const QStringList args = arguments.mid(1);
    if (args.isEmpty() || args.contains(QLatin1String("--help")) ||
        args.contains(QLatin1String("-h"))) {
        std::fputs(usage, args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? 2 : 0;
    }
    if (args.first() == QLatin1String("--version")) {
        printOut(QStringLiteral("quillmark-cli %1").arg(QStringLiteral(QUILLMARK_VERSION)));
        return 0;
    }
    if (args.first() != QLatin1String("document")) {
        printErr(QStringLiteral("Unknown command: %1\n").arg(args.first()) +
                 QString::fromLatin1(usage));
        return 2;
    }

    DocumentOptions options;
    for (int i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        auto next = [&]() -> QString { return i + 1 < args.size() ? args[++i] : QString(); };
        if (arg == QLatin1String("--listing"))
            options.listing = next();
        else if (arg == QLatin1String("--out"))
            options.outDir = next();
        else if (arg == QLatin1String("--format"))
            options.format = next();
        else if (arg == QLatin1String("--store"))
            options.store = next();
        else if (arg == QLatin1String("--jet3-charset"))
            options.jet3Charset = next();
        else if (options.database.isEmpty() && !arg.startsWith(QLatin1String("--")))
            options.database = arg;
        else {
            printErr(QStringLiteral("Unknown argument: %1").arg(arg));
            return 2;
        }
    }
    if (options.database.isEmpty()) {
        printErr(QStringLiteral("document: name the database to document"));
        return 2;
    }
    if (findListings(options.listing).isEmpty()) {
        printErr(QStringLiteral("--listing: one of %1").arg(listingNames()));
        return 2;
    }
    if (options.format != QLatin1String("pdf") && options.format != QLatin1String("html")) {
        printErr(QStringLiteral("--format: pdf or html"));
        return 2;
    }
    return document(options);
}
