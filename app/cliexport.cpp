// quillmark-cli export: the Export panel's work without a window, through
// the same DoCmd actions and writers.

#include "app/cliargs.h"
#include "app/clicommands.h"
#include "app/clitarget.h"
#include "app/consoleui.h"
#include "app/wiring.h"
#include "export/exportrows.h"
#include "export/parametervalue.h"
#include "export/textencoder.h"
#include "host/command/mainstate.h"
#include "host/query/queryengine.h"
#include "host/vb/errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

const char *const exportUsage =
    "  quillmark-cli export DB (--table T | --query Q) --format rtf|csv|xls|xlsx\n"
    "                --out FILE [--field-names] [--encoding NAME] [--param NAME=VALUE]...\n"
    "                [--jet3-charset NAME] [--quiet]\n"
    "\n"
    "export    writes the rows of table T or of the result of query Q to FILE as\n"
    "          rich text, delimited text, an Excel 97-2003 workbook (at most 65,535\n"
    "          rows and the header) or an Excel 2007 workbook. FILE is replaced only\n"
    "          when the whole file is written. csv: --field-names writes the field\n"
    "          names as the first line; --encoding names the code page (default\n"
    "          CP932; UTF-8 is written with a byte-order mark). A query's parameters\n"
    "          take their values from --param (a missing one is an error naming it).\n"
    "          Progress every 10,000 rows goes to stderr unless --quiet.\n";

namespace {

struct Format
{
    const char *name;
    const char *place;
    ExportFormat format;
};
const Format formats[] = {{"rtf", "RTFSave", ExportFormat::RichText},
                          {"csv", "CSVSave", ExportFormat::DelimitedText},
                          {"xls", "ExcelSave", ExportFormat::Excel97},
                          {"xlsx", "ExcelSave", ExportFormat::Excel2007}};

int wrong(const QString &text)
{
    printErr(text + QLatin1Char('\n') + QString::fromUtf8(exportUsage));
    return 2;
}

} // namespace

int runExport(const QStringList &words)
{
    static const QList<CliOption> options{
        {"--table", CliOption::Kind::Value},      {"--query", CliOption::Kind::Value},
        {"--format", CliOption::Kind::Value},     {"--out", CliOption::Kind::Value},
        {"--field-names", CliOption::Kind::Flag}, {"--encoding", CliOption::Kind::Value},
        {"--param", CliOption::Kind::Repeated},   {"--jet3-charset", CliOption::Kind::Value},
        {"--quiet", CliOption::Kind::Flag}};
    const CliArgs args(words, options);
    if (!args.error().isEmpty())
        return wrong(QStringLiteral("export: ") + args.error());
    if (args.positional().size() != 1)
        return wrong(QStringLiteral("export: name one database"));
    if (args.has("--table") == args.has("--query"))
        return wrong(QStringLiteral("export: give --table or --query, one of them"));
    const Format *format = nullptr;
    for (const Format &f : formats) {
        if (args.value("--format") == QLatin1String(f.name))
            format = &f;
    }
    if (!format)
        return wrong(QStringLiteral("--format: rtf, csv, xls or xlsx"));
    if (!args.has("--out"))
        return wrong(QStringLiteral("export: --out FILE is needed"));
    const QString codePage = args.value("--encoding", QString::fromLatin1(DefaultCodePage));
    if (!TextEncoder::isKnown(codePage))
        return wrong(QStringLiteral("--encoding: %1 is unknown or does not keep ASCII as it is "
                                    "(for example CP932, CP1252 or UTF-8)")
                         .arg(codePage));
    if ((args.has("--encoding") || args.has("--field-names")) &&
        format->format != ExportFormat::DelimitedText)
        return wrong(QStringLiteral("--encoding and --field-names: for --format csv"));
    QHash<QString, QString> parameters;
    if (QString error; !parameterValues(args, &parameters, &error))
        return wrong(error);

    const bool quiet = args.has("--quiet");
    const bool isQuery = args.has("--query");
    const QString object = args.value(isQuery ? "--query" : "--table");
    const QString out = QFileInfo(args.value("--out")).absoluteFilePath();
    const QString place = QString::fromLatin1(format->place);

    MainState state;
    wireJetHost(state, JetOptions{args.value("--jet3-charset")});
    ExportOptions exportOptions;
    exportOptions.codePage = codePage;
    exportOptions.progress = [quiet, object](qint64 rows, bool finished) {
        if (!quiet && !finished)
            printErr(QStringLiteral("%1: %2 rows").arg(object).arg(rows));
    };
    qint64 written = 0;
    FileExporter writer = makeFileExporter([exportOptions] { return exportOptions; });
    state.exportServices.write = [writer, &written](RowCursor &rows, const ExportRequest &r) {
        return written = writer(rows, r);
    };
    state.exportServices.runQuery = runSavedQuery;
    state.exportServices.prompt = promptFromValues(parameters);

    ConsoleUi ui;
    ui.quiet = quiet;
    const QString db = QFileInfo(args.positional().first()).absoluteFilePath();
    try {
        state.newTargetInstance().OpenCurrentDatabase(db, false);
    } catch (const HostError &error) {
        ui.describeError(QStringLiteral("SelectFile"), error);
        return 1;
    }
    try {
        Application &access = *state.target;
        const AcObjectType type = isQuery ? AcObjectType::Query : AcObjectType::Table;
        if (format->format == ExportFormat::DelimitedText)
            access.TransferText(2, object, out, args.has("--field-names") ? 1 : 0);
        else
            access.OutputTo(type, object, formatText(format->format), out, 0);
    } catch (const HostError &error) {
        ui.describeError(place, error);
        return 1;
    }
    if (!quiet)
        printErr(QStringLiteral("%1: %2 rows written to %3").arg(object).arg(written).arg(out));
    return 0;
}
