// forms_bench [SAMPLE_DB SAMPLE_DESIGNS]: draws every form of the sample,
// of the corpus's database with exported designs and of the largest corpus
// file that stores forms (designs read from the file), in the normal view
// (records read, lists filled through the query engine) and in the design
// view, and prints forms and controls per second.

#include "app/wiring.h"
#include "host/command/mainstate.h"
#include "host/design/storeddesignsource.h"
#include "host/query/queryengine.h"
#include "host/vb/errors.h"
#include "host/views/render/formrenderer.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>

namespace {

void measure(const QString &label, const QString &database, const QString &designs,
             const QString &codePage)
{
    MainState state;
    wireJetHost(state, JetOptions());
    wireDesigns(state, DesignOptions{[designs] { return designs; }, codePage});
    state.exportServices.runQuery = runSavedQuery;
    state.exportServices.runSql = runSqlText;
    Application &target = state.newTargetInstance();
    target.OpenCurrentDatabase(database);
    const QList<Document> forms = target.CurrentDb().Containers(u"Forms").Documents;
    for (const Document &form : forms)
        target.OpenForm(form.Name, AcView::Normal, -1);
    for (FormViewMode mode : {FormViewMode::Normal, FormViewMode::Design}) {
        // Designs are read once and kept; the figure is for drawing them.
        int drawn = 0, controls = 0;
        QElapsedTimer clock;
        clock.start();
        const int rounds = 5;
        for (int round = 0; round < rounds; ++round) {
            for (const Document &form : forms) {
                auto data = targetFormData(target);
                const Form &design = target.Forms(form.Name);
                const QImage image = renderForm(design, *data, mode);
                if (!image.isNull())
                    ++drawn;
                controls += design.ControlCount();
            }
        }
        const double seconds = clock.nsecsElapsed() / 1e9;
        std::printf("%-28s %-7s %3lld forms x %d: %7.3f s  %8.1f forms/s  %9.0f controls/s\n",
                    qPrintable(label), mode == FormViewMode::Normal ? "normal" : "design",
                    static_cast<long long>(forms.size()), rounds, seconds, drawn / seconds,
                    controls / seconds);
    }
}

// The largest corpus file whose forms the file itself stores; empty if none.
QString largestWithStoredForms(const QString &corpus)
{
    QString largest;
    qint64 size = -1;
    QDirIterator it(corpus, {QStringLiteral("*.mdb"), QStringLiteral("*.accdb")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        try {
            if (QFileInfo(path).size() > size && !StoredDesignSource(path).formNames().isEmpty()) {
                largest = path;
                size = QFileInfo(path).size();
            }
        } catch (const HostError &) {
        }
    }
    return largest;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString sample =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(QUILLMARK_SAMPLE_DATABASE);
    const QString designs =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(QUILLMARK_SAMPLE_DESIGNS);
    try {
        measure(QStringLiteral("sample"), sample, designs, QString());
        const QString corpus = QStringLiteral(QUILLMARK_CORPUS_DIR);
        if (QFileInfo::exists(corpus + QStringLiteral("/jet4/Strings.mdb")))
            measure(QStringLiteral("corpus jet4/Strings.mdb"),
                    corpus + QStringLiteral("/jet4/Strings.mdb"),
                    corpus + QStringLiteral("/exports/jet4-Strings"), QStringLiteral("CP1251"));
        if (const QString largest = largestWithStoredForms(corpus); !largest.isEmpty())
            measure(QStringLiteral("corpus ") + QFileInfo(largest).fileName(), largest, QString(),
                    QString());
        else
            std::printf("corpus absent: %s\n", qPrintable(corpus));
    } catch (const HostError &error) {
        std::fprintf(stderr, "error %d: %s\n", error.code(), qPrintable(error.description()));
        return 1;
    }
    return 0;
}
