// The capture command, its timer and the capture window over a fake screen
// and clipboard; the delay dialog; the bitmap written and printed.

#include "capture/captimedialog.h"
#include "capture/captureclipboard.h"
#include "capture/capturedelay.h"
#include "capture/capturesequence.h"
#include "capture/capturewindow.h"
#include "host/command/headlessui.h"
#include "host/command/mainstate.h"
#include "host/objects/fixturesource.h"
#include "host/vb/errors.h"
#include "shell/captionfit.h"

#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A screen of one colour with a known mark, and a clipboard that fails on
// request with a given number.
class FakeClipboard : public CaptureClipboard
{
public:
    QImage screen;
    QImage held;
    int failNumber = 0;
    int failures = 0; // how many image() reads fail
    int reads = 0;

    FakeClipboard() { paintScreen(Qt::darkCyan); }
    void paintScreen(QColor colour)
    {
        screen = QImage(320, 200, QImage::Format_RGB32);
        screen.fill(colour);
        QPainter(&screen).fillRect(QRect(10, 20, 30, 40), Qt::yellow);
    }
    void clear() override { held = QImage(); }
    void pressPrintScreen() override { held = screen; }
    QImage image() override
    {
        ++reads;
        if (failures > 0) {
            --failures;
            throw HostError(Err(failNumber), QStringLiteral("injected"));
        }
        if (held.isNull())
            throw HostError(Err::ClipboardCantGet, QStringLiteral("empty"));
        return held;
    }
};

struct CaptureRig
{
    FixtureSource fixture;
    MainState state;
    HeadlessUi ui;
    FakeClipboard clipboard;
    CaptureSequence sequence{state, ui, clipboard};

    CaptureRig()
    {
        fixture.document(QStringLiteral("Forms"), QStringLiteral("Orders"));
        state.opener = fixture.opener();
        state.newTargetInstance().OpenCurrentDatabase(QStringLiteral("C:\\fixture.mdb"));
        state.captureDelay = 10;
        ui.setValue(OptMode(2), 1);
        ui.setValue(OptView(0), 1);
        ui.addItem(Ctl::cboForms, QStringLiteral("Orders"));
        ui.setListIndex(Ctl::cboForms, 0);
    }
    bool formOpen() const
    {
        for (const OpenedObject &o : state.target->openObjects())
            if (o.type == AcObjectType::Form && o.name == QLatin1String("Orders"))
                return true;
        return false;
    }
    bool waitForTimerToStop()
    {
        return QTest::qWaitFor([&] { return !sequence.timer1().isActive(); }, 5000);
    }
};

// Colours through a PDF renderer come back within a step or two.
bool near(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) <= 6 && std::abs(a.green() - b.green()) <= 6 &&
           std::abs(a.blue() - b.blue()) <= 6;
}

int pixels(int twips, const QWidget &w, bool vertical)
{
    return qRound(twips * (vertical ? w.logicalDpiY() : w.logicalDpiX()) / 1440.0);
}

} // namespace

TEST(Capture, GuardsTheKindAndTheView)
{
    CaptureRig rig;
    rig.ui.setValue(OptMode(2), 0);
    rig.ui.setValue(OptMode(0), 1);
    rig.sequence.cmdCapture_Click();
    ASSERT_EQ(rig.ui.messages.size(), 1);
    EXPECT_EQ(rig.ui.messages[0].text, "Formを選択して下さい");
    EXPECT_EQ(rig.ui.messages[0].title, "Quillmark");

    rig.ui.setValue(OptMode(0), 0);
    rig.sequence.cmdCapture_Click(); // no kind set is kind 0: a table
    EXPECT_EQ(rig.ui.messages.back().text, "Formを選択して下さい");

    rig.ui.setValue(OptMode(2), 1);
    rig.ui.setValue(OptView(0), 0);
    rig.ui.setValue(OptView(1), 1);
    rig.sequence.cmdCapture_Click();
    EXPECT_EQ(rig.ui.messages.back().text, "mode選択はNormalにして下さい");
    rig.ui.setValue(OptView(1), 0);
    rig.sequence.cmdCapture_Click(); // no view set
    EXPECT_EQ(rig.ui.messages.back().text, "mode選択はNormalにして下さい");
    EXPECT_EQ(rig.ui.messages.size(), 4);
    EXPECT_TRUE(rig.ui.windowVisible());
    EXPECT_FALSE(rig.sequence.timer1().isActive());
    EXPECT_FALSE(rig.formOpen());
}

TEST(Capture, TakesTheScreenAfterTheDelayAndLoadsEveryNewImage)
{
    CaptureRig rig;
    rig.sequence.cmdCapture_Click();
    EXPECT_TRUE(rig.ui.messages.isEmpty());
    EXPECT_FALSE(rig.ui.windowVisible()) << "the main window hides while the form shows";
    EXPECT_TRUE(rig.state.target->Visible());
    EXPECT_TRUE(rig.formOpen());
    EXPECT_EQ(rig.sequence.timer1().interval(), 10);
    ASSERT_TRUE(rig.waitForTimerToStop());

    CaptureWindow *window = rig.sequence.captureWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->image(), rig.clipboard.screen);
    EXPECT_EQ(window->size(),
              QSize(320 + pixels(120, *window, false), 200 + pixels(690, *window, true)));
    EXPECT_TRUE(rig.ui.windowVisible());
    EXPECT_FALSE(rig.state.target->Visible());
    EXPECT_FALSE(rig.formOpen());
    EXPECT_TRUE(rig.ui.messages.isEmpty());

    // Closed (only hidden), then a second capture: the new image, timer stopped.
    window->m5_Click();
    EXPECT_FALSE(window->isVisible());
    rig.clipboard.paintScreen(Qt::darkRed);
    rig.ui.setValue(Ctl::chkVisible, 1); // the target shown already: left as it is
    rig.sequence.cmdCapture_Click();
    ASSERT_TRUE(rig.waitForTimerToStop());
    EXPECT_EQ(rig.sequence.captureWindow(), window) << "created once";
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->image().pixelColor(100, 100), QColor(Qt::darkRed));
}

TEST(Capture, LoadingErrorsFollowTheTable)
{
    CaptureRig rig;
    // 520: Retry reads once more and loads.
    rig.clipboard.failNumber = int(Err::ClipboardCantOpen);
    rig.clipboard.failures = 1;
    rig.ui.answer = [](const ShownMessage &m) {
        return m.buttons == MsgButtons::RetryCancel ? MsgAnswer::Retry : MsgAnswer::Ok;
    };
    rig.sequence.cmdCapture_Click();
    ASSERT_TRUE(rig.waitForTimerToStop());
    ASSERT_EQ(rig.ui.messages.size(), 1);
    EXPECT_EQ(rig.ui.messages[0].text, "Clipboardが既に別のｱﾌﾟﾘｹｰｼｮﾝで開かれています。");
    EXPECT_EQ(rig.ui.messages[0].buttons, MsgButtons::RetryCancel);
    EXPECT_EQ(rig.clipboard.reads, 2);
    EXPECT_FALSE(rig.sequence.captureWindow()->image().isNull());

    // 380 and an unknown number: the timer keeps running, as designed.
    rig.ui.messages.clear();
    rig.ui.answer = nullptr;
    QTimer timer;
    timer.start(100000);
    rig.clipboard.failNumber = int(Err::InvalidPropertyValue);
    rig.clipboard.failures = 1;
    rig.sequence.captureWindow()->loadCapture(timer);
    rig.clipboard.failNumber = 7;
    rig.clipboard.failures = 1;
    rig.sequence.captureWindow()->loadCapture(timer);
    ASSERT_EQ(rig.ui.messages.size(), 2);
    EXPECT_EQ(rig.ui.messages[0].text, "再度実行して下さい。");
    EXPECT_EQ(rig.ui.messages[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(rig.ui.messages[1].text, "7不明");
    EXPECT_EQ(rig.ui.messages[1].buttons, MsgButtons::RetryCancel);
    EXPECT_TRUE(timer.isActive());
    rig.sequence.captureWindow()->loadCapture(timer);
    EXPECT_FALSE(timer.isActive());
}

TEST(Capture, AFailedOpenBringsTheMainWindowBack)
{
    CaptureRig rig;
    rig.ui.clearList(Ctl::cboForms);
    rig.ui.addItem(Ctl::cboForms, QStringLiteral("Missing"));
    rig.ui.setListIndex(Ctl::cboForms, 0);
    rig.sequence.cmdCapture_Click();
    ASSERT_EQ(rig.ui.messages.size(), 1);
    EXPECT_TRUE(rig.ui.messages[0].text.startsWith(QStringLiteral("場所:CaptureｴﾗｰNo:2102")))
        << qPrintable(rig.ui.messages[0].text);
    EXPECT_TRUE(rig.ui.windowVisible());
    EXPECT_FALSE(rig.state.target->Visible());
    EXPECT_FALSE(rig.sequence.timer1().isActive());
}

TEST(CaptureDelay, ShowsAndTakesSeconds)
{
    EXPECT_EQ(captureDelayText(5000), "5");
    EXPECT_EQ(captureDelayText(2500), "2.5");
    EXPECT_EQ(captureDelayFromText(QStringLiteral("3")), 3000);
    EXPECT_EQ(captureDelayFromText(QStringLiteral("2.5")), 2500);
    EXPECT_EQ(captureDelayFromText(QStringLiteral(" 0.0125 ")), 12); // 12.5 ms: halves to even
    EXPECT_EQ(captureDelayFromText(QStringLiteral("3600")), 3'600'000);
    for (const char *bad : {"", "abc", "0", "-1", "3600.5", "1e9", "0.0001"})
        EXPECT_FALSE(captureDelayFromText(QString::fromLatin1(bad)).has_value()) << bad;

    MainState state;
    HeadlessUi ui;
    auto *dialog = new CapTimeDialog(state, ui);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    auto *text = dialog->findChild<QLineEdit *>(QStringLiteral("txtCapTime"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(), "5");
    expectCaptionsFit(dialog);

    // Enter moves on to the next control.
    text->setFocus();
    QTest::keyClick(text, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), dialog->findChild<QPushButton *>("cmdOK"));
    EXPECT_TRUE(dialog->isVisible());

    text->setText(QStringLiteral("abc"));
    dialog->cmdOK_Click();
    EXPECT_EQ(state.captureDelay, 5000);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].text, captureDelayRule());
    EXPECT_TRUE(dialog->isVisible());

    QPointer<CapTimeDialog> alive(dialog);
    text->setText(QStringLiteral("2.5"));
    dialog->cmdOK_Click();
    EXPECT_EQ(state.captureDelay, 2500);
    EXPECT_TRUE(QTest::qWaitFor([&] { return alive.isNull(); }, 1000)) << "OK unloads the dialog";
}

TEST(CaptureWindow, SavesABitmapAndSaysWhenNothingIsWritten)
{
    QTemporaryDir dir;
    HeadlessUi ui;
    FakeClipboard clipboard;
    clipboard.pressPrintScreen();
    CaptureWindow window(ui, clipboard);
    QTimer timer;
    window.loadCapture(timer);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    expectCaptionsFit(&window);

    const QString path = dir.filePath(QStringLiteral("shot.bmp"));
    ui.fileChoices = {path, QString(), dir.filePath(QStringLiteral("no/such/folder/x.bmp"))};
    window.m4_Click();
    ASSERT_EQ(ui.dialogFilters.size(), 1);
    EXPECT_EQ(ui.dialogFilters[0],
              QStringLiteral("Bitmap(*.bmp)") + QChar(0) + QStringLiteral("*.bmp") + QChar(0));
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    EXPECT_EQ(bytes.left(2), "BM");
    const QImage back = QImage::fromData(bytes, "BMP");
    EXPECT_EQ(back.size(), QSize(320, 200));
    EXPECT_GE(back.depth(), 24);
    EXPECT_EQ(back.pixelColor(15, 25), QColor(Qt::yellow));
    EXPECT_EQ(back.pixelColor(200, 100), QColor(Qt::darkCyan));

    window.m4_Click(); // cancelled
    EXPECT_TRUE(ui.text(Ctl::txtMesege).contains(QStringLiteral("書き込まれていません")));
    EXPECT_TRUE(ui.messages.isEmpty());
    window.m4_Click(); // a folder that does not exist
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(
        ui.messages[0].text.startsWith(QStringLiteral("ビットマップを保存できませんでした")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"shot.bmp"})
        << "nothing else written";
}

TEST(CaptureWindow, PrintsTheImageFittedToThePage)
{
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (pdftoppm.isEmpty())
        GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    QTemporaryDir dir;
    FakeClipboard clipboard;
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("capture.pdf")));
    printer.setPageMargins(QMarginsF(10, 20, 10, 15), QPageLayout::Millimeter);
    ASSERT_TRUE(printCapture(printer, clipboard.screen));

    QProcess render;
    render.start(pdftoppm, {QStringLiteral("-r"), QStringLiteral("30"), QStringLiteral("-png"),
                            QStringLiteral("-singlefile"), dir.filePath("capture.pdf"),
                            dir.filePath(QStringLiteral("page"))});
    ASSERT_TRUE(render.waitForFinished(30000));
    const QImage page(dir.filePath(QStringLiteral("page.png")));
    ASSERT_FALSE(page.isNull());
    // The image spans the width inside the margins, from the top margin down.
    const double mm = 30 / 25.4;
    const int left = qRound(10 * mm), right = page.width() - qRound(10 * mm);
    const int top = qRound(20 * mm);
    const int height = qRound((right - left) * 200.0 / 320.0);
    EXPECT_TRUE(near(page.pixelColor((left + right) / 2, top + height / 2), Qt::darkCyan));
    EXPECT_TRUE(near(page.pixelColor(left / 2, top + height / 2), Qt::white)) << "margin";
    EXPECT_TRUE(near(page.pixelColor((left + right) / 2, top / 2), Qt::white)) << "margin";
    EXPECT_TRUE(near(page.pixelColor((left + right) / 2, top + height + 10), Qt::white));
}
