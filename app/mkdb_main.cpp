// quillmark-mkdb: builds a Jet 4 .mdb from a JSON description, or a large
// generated database for benchmarks.

#include "host/jet/write/jetwriterdesc.h"
#include "host/vb/errors.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {

const char usage[] =
    "usage: quillmark-mkdb DESCRIPTION.json OUTPUT.mdb\n"
    "       quillmark-mkdb --generate tables=N,fields=N,rows=N,bigrows=N,queries=N OUTPUT.mdb\n"
    "                      (also modules=N, procedures=N, and deleted=P: P percent of\n"
    "                      the rows written as deleted rows, as if deleted in Access)\n"
    "Writes a new Jet 4 (Access 2000 format) database, or Jet 3 (Access 97) when\n"
    "the description says \"version\": 3. The description format is shown by\n"
    "samples/sample.json and samples/hanbai.json; CSV paths in it are relative to\n"
    "its folder, as are the \"designFile\" of a form or report (its stored design\n"
    "stream, written as it is) and a module's \"codeFile\".\n";

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 1 && (args[0] == u"--help" || args[0] == u"-h")) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (args.size() != 2 && !(args.size() == 3 && args[0] == u"--generate")) {
        std::fputs(usage, stderr);
        return 2;
    }
    try {
        JetWriterDatabase db;
        if (args[0] == u"--generate") {
            db = generateJetDatabase(parseGeneratorSize(args[1]));
        } else {
            QFile in(args[0]);
            if (!in.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "quillmark-mkdb: cannot read %s\n", qPrintable(args[0]));
                return 1;
            }
            db = parseJetDescription(in.readAll(), QFileInfo(args[0]).absolutePath());
        }
        writeJetDatabase(db, args.last());
    } catch (const HostError &e) {
        std::fprintf(stderr, "quillmark-mkdb: %s\n", e.what());
        return 1;
    }
    return 0;
}
