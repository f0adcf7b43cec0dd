#include "shell/compactpanel.h"

#include "host/command/command.h"
#include "host/vb/errors.h"
#include "maintenance/atomicreplace.h"

#include <QDir>

namespace {

const QString Title = QStringLiteral("Quillmark 0.31");

// The panel's error trap: a file in use has its own message, every other
// error the standard one with the routine's place.
void trapped(Ui &ui, const QString &place, bool inUseMessage, const std::function<void()> &body)
{
    const auto show = [&](const HostError &error) {
        if (inUseMessage &&
            (error.number() == Err::TableLocked || error.number() == Err::FileInUse)) {
            ui.describeError(place, error);
            ui.messageBox(QStringLiteral("同一ファイルは選択出来ません。"), MsgButtons::Ok,
                          MsgIcon::None, Title);
        } else {
            showStandardError(ui, place, error);
        }
    };
    try {
        body();
    } catch (const HostError &error) {
        show(error);
    } catch (const std::exception &error) {
        show(HostError::unexpected(error));
    }
}

// What runs, in the status line, painted before the work starts.
void showWork(Ui &ui, const QString &what)
{
    ui.setText(Ctl::txtMesege, what + QChar(0x3000) + QStringLiteral("処理中"));
    ui.processEvents();
}

} // namespace

CompactPanel::CompactPanel(MainState &state, QObject *parent)
    : CompactPanel(
          [&state] {
              return std::make_unique<JetMaintenanceEngine>([&state] { return state.targetPath; });
          },
          parent)
{
}

CompactPanel::CompactPanel(MaintenanceEngineFactory factory, QObject *parent)
    : QObject(parent)
    , m_factory(std::move(factory))
{
}

MaintenanceEngine &CompactPanel::engine()
{
    if (!m_engine)
        m_engine = m_factory();
    return *m_engine;
}

QString compactFileFilter()
{
    return QStringLiteral("Access(*.mdb)") + QChar(0) + QStringLiteral("*.mdb") + QChar(0);
}

QString backupPathOf(const QString &path)
{
    if (path.size() < 3)
        throw HostError::invalidCall(u"Left");
    return path.left(path.size() - 3) + QStringLiteral("bak");
}

void cmdComFile_Click(Ui &ui)
{
    trapped(ui, QStringLiteral("SelectFile"), false, [&] {
        ui.setText(Ctl::lblComFile, ui.OpenFileDlg(compactFileFilter(), QDir::currentPath()));
    });
}

void cmdComExec_Click(Ui &ui, CompactPanel &panel)
{
    trapped(ui, QStringLiteral("CompactExec"), true, [&] {
        const QString path = ui.text(Ctl::lblComFile);
        if (path.isEmpty()) {
            ui.messageBox(QStringLiteral("ファイルを選択して下さい。"), MsgButtons::Ok,
                          MsgIcon::None, Title);
            return;
        }
        const bool compact = ui.value(Ctl::chkCom) == 1, repair = ui.value(Ctl::chkRep) == 1;
        if (compact && repair) {
            RepairDB(ui, panel, path);
            CompactDB(ui, panel, path);
        } else if (compact) {
            CompactDB(ui, panel, path);
        } else if (repair) {
            RepairDB(ui, panel, path);
        } else {
            ui.messageBox(QStringLiteral("Compact又はRepairを選択して下さい。"), MsgButtons::Ok,
                          MsgIcon::None, Title);
        }
        ui.setText(Ctl::txtMesege, QStringLiteral("修復・最適化処理終了"));
    });
}

void CompactDB(Ui &ui, CompactPanel &panel, const QString &path)
{
    trapped(ui, QStringLiteral("Compact"), true, [&] {
        const QString backup = backupPathOf(path);
        showWork(ui, QStringLiteral("最適化"));
        panel.engine().CompactDatabase(path, backup);
        // One rename puts the verified copy in place: the path always holds
        // a whole file (the designed delete-then-rename could leave none).
        replaceAtomically(backup, path);
    });
}

void RepairDB(Ui &ui, CompactPanel &panel, const QString &path)
{
    trapped(ui, QStringLiteral("Repair"), true, [&] {
        showWork(ui, QStringLiteral("修復"));
        panel.engine().RepairDatabase(path);
    });
}
