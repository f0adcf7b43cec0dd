#include "app/wiring.h"

#include "host/design/exportmodules.h"
#include "host/design/layereddesignsource.h"
#include "host/jet/jetfile.h"
#include "host/jet/jetsource.h"
#include "host/jet/vbasource.h"
#include "host/vb/errors.h"

#include <QFile>

namespace {

// The code page the header of the database names; CP1252 when it cannot
// be read (the file's own errors are reported where it is opened).
QByteArray databaseCodePage(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return DefaultExportCodePage;
    const QByteArray first = file.read(4096);
    try {
        return jet3CharsetFor(parseJetHeader(first, file.size(), path).codePage).toLatin1();
    } catch (const HostError &) {
        return DefaultExportCodePage;
    }
}

JetOptions withEnvironment(JetOptions options)
{
    if (options.jet3Charset.isEmpty())
        options.jet3Charset = qEnvironmentVariable("QUILLMARK_JET3_CHARSET");
    return options;
}

} // namespace

void wireJetHost(MainState &state, JetOptions options)
{
    options = withEnvironment(std::move(options));
    state.opener = JetSource::opener(options);
    state.moduleScan.opener = JetModuleSource::opener(options);
}

void wireDesigns(MainState &state, DesignOptions options)
{
    auto folderFor = [options](const QString &path) {
        const QString folder = options.folder ? options.folder() : QString();
        return folder.isEmpty() ? defaultExportFolder(path) : folder;
    };
    auto codePageFor = [options](const QString &path) {
        return options.codePage.isEmpty() ? databaseCodePage(path) : options.codePage.toLatin1();
    };
    const JetOptions jet = withEnvironment(options.jet);
    state.designOpener = [=](const QString &path) -> std::shared_ptr<DesignSource> {
        return std::make_shared<LayeredDesignSource>(path, folderFor(path), codePageFor(path), jet);
    };
    const ModuleSourceOpener fileModules = state.moduleScan.opener;
    state.moduleScan.opener = [=](const QString &path) -> std::shared_ptr<ModuleSource> {
        return std::make_shared<ExportModules>(fileModules ? fileModules(path) : nullptr,
                                               folderFor(path), codePageFor(path));
    };
}
