// The Compact panel's commands over a recording engine, then over the real
// one on corpus copies: messages, order, backup path, the in-place step.

#include "host/command/command.h"
#include "host/command/headlessui.h"
#include "host/vb/errors.h"
#include "shell/compactpanel.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Recorder : MaintenanceEngine
{
    QStringList *calls;
    Err compactError = Err(0), repairError = Err(0);
    explicit Recorder(QStringList *c)
        : calls(c)
    {
    }
    void CompactDatabase(const QString &source, const QString &destination) override
    {
        *calls << QStringLiteral("compact %1 %2").arg(source, destination);
        if (int(compactError))
            throw HostError(compactError, QStringLiteral("refused"));
        QFile::copy(source, destination);
    }
    void RepairDatabase(const QString &path) override
    {
        *calls << QStringLiteral("repair %1").arg(path);
        if (int(repairError))
            throw HostError(repairError, QStringLiteral("refused"));
    }
};

struct Panel
{
    QStringList calls;
    int created = 0;
    Err compactError = Err(0), repairError = Err(0);
    HeadlessUi ui;
    CompactPanel panel{[this] {
        ++created;
        auto r = std::make_unique<Recorder>(&calls);
        r->compactError = compactError;
        r->repairError = repairError;
        return r;
    }};
    QStringList texts() const
    {
        QStringList out;
        for (const ShownMessage &m : ui.messages)
            out << m.text + u'|' + m.title;
        return out;
    }
};

} // namespace

TEST(CompactPanel, ExecuteFollowsTheBoxesAndAlwaysEndsWithItsStatusText)
{
    Panel p;
    p.ui.setText(Ctl::txtMesege, QStringLiteral("before"));
    cmdComExec_Click(p.ui, p.panel);
    EXPECT_EQ(p.texts(), QStringList{QStringLiteral("ファイルを選択して下さい。|Quillmark 0.31")});
    EXPECT_EQ(p.ui.text(Ctl::txtMesege), QStringLiteral("before"));
    EXPECT_FALSE(p.panel.hasEngine());

    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("a.md"), "x");
    p.ui.setText(Ctl::lblComFile, path);
    p.ui.setValue(Ctl::chkCom, 0);
    p.ui.setValue(Ctl::chkRep, 0);
    cmdComExec_Click(p.ui, p.panel);
    EXPECT_EQ(p.texts().last(),
              QStringLiteral("Compact又はRepairを選択して下さい。|Quillmark 0.31"));
    EXPECT_EQ(p.ui.text(Ctl::txtMesege), QStringLiteral("修復・最適化処理終了"));
    EXPECT_TRUE(p.calls.isEmpty());

    // Both: repair first; three characters are cut whatever they are.
    p.ui.setValue(Ctl::chkCom, 1);
    p.ui.setValue(Ctl::chkRep, 1);
    cmdComExec_Click(p.ui, p.panel);
    const QString backup = dir.filePath(QStringLiteral("abak"));
    EXPECT_EQ(p.calls, (QStringList{QStringLiteral("repair ") + path,
                                    QStringLiteral("compact %1 %2").arg(path, backup)}));
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_FALSE(QFile::exists(backup));
    EXPECT_EQ(p.ui.text(Ctl::lblComFile), path);
    cmdComExec_Click(p.ui, p.panel);
    EXPECT_EQ(p.created, 1); // the engine is kept
    EXPECT_EQ(p.calls.size(), 4);
}

TEST(CompactPanel, InUseHasItsOwnMessageAndAFailedRepairIsStillFollowedByTheCompaction)
{
    Panel p;
    p.repairError = Err::TableLocked;
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("t.mdb"), "x");
    p.ui.setText(Ctl::lblComFile, path);
    p.ui.setValue(Ctl::chkCom, 1);
    p.ui.setValue(Ctl::chkRep, 1);
    cmdComExec_Click(p.ui, p.panel);
    EXPECT_EQ(p.texts(),
              QStringList{QStringLiteral("同一ファイルは選択出来ません。|Quillmark 0.31")});
    EXPECT_EQ(p.calls.size(), 2);
    EXPECT_EQ(p.ui.text(Ctl::txtMesege), QStringLiteral("修復・最適化処理終了"));

    Panel q;
    q.compactError = Err::DatabaseExists;
    q.ui.setText(Ctl::lblComFile, path);
    q.ui.setValue(Ctl::chkCom, 1);
    q.ui.setValue(Ctl::chkRep, 0);
    cmdComExec_Click(q.ui, q.panel);
    EXPECT_EQ(q.texts(), QStringList{standardErrorText(QStringLiteral("Compact"), 3204) +
                                     QStringLiteral("|Quillmark 0.31")});
    EXPECT_EQ(q.ui.text(Ctl::txtMesege), QStringLiteral("修復・最適化処理終了"));

    // A path of fewer than three characters fails in CompactDB's own trap.
    Panel r;
    r.ui.setText(Ctl::lblComFile, QStringLiteral("ab"));
    r.ui.setValue(Ctl::chkCom, 1);
    r.ui.setValue(Ctl::chkRep, 0);
    cmdComExec_Click(r.ui, r.panel);
    EXPECT_EQ(r.texts(), QStringList{standardErrorText(QStringLiteral("Compact"), 5) +
                                     QStringLiteral("|Quillmark 0.31")});
}

TEST(CompactPanel, SelectFileShowsTheChosenPathOrNothing)
{
    Panel p;
    p.ui.fileChoices = {QStringLiteral("/x/y.mdb"), QString()};
    cmdComFile_Click(p.ui);
    EXPECT_EQ(p.ui.text(Ctl::lblComFile), QStringLiteral("/x/y.mdb"));
    EXPECT_EQ(p.ui.dialogFilters.first(), compactFileFilter());
    cmdComFile_Click(p.ui);
    EXPECT_EQ(p.ui.text(Ctl::lblComFile), QString());
}

TEST(CompactPanel, CompactsACorpusCopyInPlaceAndRefusesTheOpenTarget)
{
    if (corpusDir().isEmpty())
        GTEST_SKIP() << "no corpus";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sales.mdb"));
    ASSERT_TRUE(QFile::copy(corpusFile(QStringLiteral("jet4/Northwind.mdb")), path));
    const qint64 before = QFileInfo(path).size();
    MainState state;
    HeadlessUi ui;
    CompactPanel panel(state);
    ui.setText(Ctl::lblComFile, path);
    ui.setValue(Ctl::chkCom, 1);
    ui.setValue(Ctl::chkRep, 0);
    cmdComExec_Click(ui, panel);
    EXPECT_TRUE(ui.messages.isEmpty()) << ui.messages.value(0).text.toStdString();
    EXPECT_LT(QFileInfo(path).size(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("sales.mdb")});

    // The backup path taken: refused, the source untouched.
    QFile source(path);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray bytes = source.readAll();
    source.close();
    writeFile(dir, QStringLiteral("sales.bak"), "mine");
    cmdComExec_Click(ui, panel);
    EXPECT_EQ(ui.messages.last().text, standardErrorText(QStringLiteral("Compact"), 3204));
    QFile again(path);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), bytes);
    QFile::remove(dir.filePath(QStringLiteral("sales.bak")));

    state.targetPath = path;
    cmdComExec_Click(ui, panel);
    EXPECT_EQ(ui.messages.last().text, QStringLiteral("同一ファイルは選択出来ません。"));
}
