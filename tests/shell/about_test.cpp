// The about box: its figures for Windows-style and local targets, the logo
// animation's order, and the window itself on the offscreen platform.

#include "about/aboutbox.h"
#include "shell/captionfit.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Drive C: of 2,000,000 clusters of 4,096 bytes, half of them free, and
// the files it is asked about.
class FakeVolumes : public VolumePlatform
{
public:
    QHash<QString, qint64> files;
    mutable QStringList roots; // every root queried
    VolumeSpace c{8, 512, 1'000'000, 2'000'000};

    std::optional<VolumeSpace> volumeSpace(const QString &root) const override
    {
        roots << root;
        if (root == QLatin1String("C:\\"))
            return c;
        return std::nullopt;
    }
    QString mountPointOf(const QString &) const override { return QStringLiteral("/srv"); }
    std::optional<qint64> fileSize(const QString &path) const override
    {
        if (files.contains(path))
            return files.value(path);
        return std::nullopt;
    }
};

QString labelText(QWidget &box, const char *name)
{
    auto *label = box.findChild<QLabel *>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

} // namespace

TEST(AboutFigures, FollowTheDriveLetterRulesOfWindowsPaths)
{
    FakeVolumes volumes;
    volumes.files.insert(QStringLiteral("C:\\data\\sales.mdb"), 1'572'864);
    volumes.files.insert(QStringLiteral("c:\\data\\lower.mdb"), 1024);
    volumes.files.insert(QStringLiteral("\\\\server\\share\\net.mdb"), 10);

    const AboutFigures sales = aboutFigures(QStringLiteral("C:\\data\\sales.mdb"), volumes);
    EXPECT_EQ(sales.name, "sales.mdb");
    EXPECT_EQ(sales.drive, "C");
    EXPECT_EQ(sales.objectSize, "1.50MB");
    EXPECT_EQ(sales.total, "7812.50MB"); // 2,000,000 x 4,096 bytes
    EXPECT_EQ(sales.free, "3906.25MB");

    volumes.roots.clear();
    const AboutFigures lower = aboutFigures(QStringLiteral("c:\\data\\lower.mdb"), volumes);
    EXPECT_EQ(lower.drive, "c") << "shown in the path's letter case";
    EXPECT_EQ(volumes.roots, (QStringList{"C:\\", "C:\\"})) << "queried upper-cased";
    EXPECT_EQ(lower.objectSize, "0.00MB");

    const AboutFigures net = aboutFigures(QStringLiteral("\\\\server\\share\\net.mdb"), volumes);
    EXPECT_EQ(net.name, "net.mdb");
    EXPECT_EQ(net.total, "-1.00MB");
    EXPECT_EQ(net.free, "-1.00MB");

    // No target: nothing at all; a target gone since: its name only.
    const AboutFigures none = aboutFigures(QString(), volumes);
    EXPECT_TRUE(none.name.isEmpty() && none.drive.isEmpty() && none.total.isEmpty());
    const AboutFigures gone = aboutFigures(QStringLiteral("C:\\gone\\old.mdb"), volumes);
    EXPECT_EQ(gone.name, "old.mdb");
    EXPECT_TRUE(gone.drive.isEmpty() && gone.total.isEmpty() && gone.free.isEmpty() &&
                gone.objectSize.isEmpty());
}

TEST(AboutFigures, DiskSpaceAndFileNamePartEdges)
{
    FakeVolumes volumes;
    EXPECT_EQ(DiskSpace(Value::null(), 1, volumes), -1);
    EXPECT_EQ(DiskSpace(Value(QStringLiteral("c")), 1, volumes), 7812.5);
    EXPECT_EQ(DiskSpace(Value(QStringLiteral("C:\\anything")), 2, volumes), 3906.25);
    EXPECT_EQ(DiskSpace(Value(QStringLiteral("D")), 1, volumes), -1);
    // A cluster past the designed 32-bit product cannot be described.
    volumes.c = {65536, 65536, 1, 1};
    EXPECT_EQ(DiskSpace(Value(QStringLiteral("C")), 1, volumes), -1);
    // Two decimals, the nearest: 1 cluster of 5,243 bytes is 0.005000... MB.
    volumes.c = {1, 5243, 1, 1};
    EXPECT_EQ(DiskSpace(Value(QStringLiteral("C")), 1, volumes), 0.01);

    EXPECT_TRUE(FileNamePart(QString()).isEmpty());
    EXPECT_EQ(FileNamePart(QStringLiteral("C:\\data\\")).asText(), "");
    EXPECT_EQ(FileNamePart(QStringLiteral("C:\\a\\b\\c.mdb")).asText(), "c.mdb");
    EXPECT_EQ(FileNamePart(QStringLiteral("/home/u/x.mdb")).asText(), "x.mdb");
    EXPECT_EQ(megabytesText(0.004), "0.00MB");
    EXPECT_EQ(megabytesText(12345.678), "12345.68MB");
}

TEST(AboutFigures, ALocalTargetShowsItsMountPointAndRealFigures)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("target.mdb"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(3 * 1024 * 1024 / 2, 'x'));
    file.close();
    SystemVolumePlatform system;
    const AboutFigures figures = aboutFigures(path, system);
    EXPECT_EQ(figures.name, "target.mdb");
    EXPECT_EQ(figures.drive, system.mountPointOf(path));
    EXPECT_TRUE(figures.drive.startsWith(u'/'));
    EXPECT_EQ(figures.objectSize, "1.50MB");
    EXPECT_NE(figures.total, "-1.00MB");
    EXPECT_TRUE(figures.total.endsWith(QLatin1String("MB")));
    // No drive letters exist here.
    EXPECT_FALSE(system.volumeSpace(QStringLiteral("C:\\")).has_value());
}

TEST(AboutBox, AnimatesFramesInOrderAndShowsTheFigures)
{
    for (int i = 1; i <= LogoFrameCount; ++i) {
        const QImage frame = logoFrame(i);
        EXPECT_EQ(frame.size(), QSize(200, 100));
        EXPECT_EQ(frame.format(), QImage::Format_Indexed8);
        EXPECT_LE(frame.colorCount(), 256);
        if (i > 1) {
            EXPECT_NE(frame, logoFrame(i - 1)) << "frame " << i;
        }
    }
    EXPECT_TRUE(logoFrame(0).isNull());

    FakeVolumes volumes;
    volumes.files.insert(QStringLiteral("C:\\data\\sales.mdb"), 1'572'864);
    LogoAnimation animation;
    AboutBox box(QStringLiteral("C:\\data\\sales.mdb"), volumes, animation);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    EXPECT_EQ(box.windowTitle(), "Quillmark Ver0.31");
    EXPECT_EQ(labelText(box, "lblAbout"), "Quillmark Ver0.31");
    EXPECT_EQ(labelText(box, "lblName"), "sales.mdb");
    EXPECT_EQ(labelText(box, "lblDrive"), "C");
    EXPECT_EQ(labelText(box, "lblObjSize"), "1.50MB");
    EXPECT_EQ(box.animationTimer()->interval(), 700);
    EXPECT_TRUE(box.animationTimer()->isActive());
    EXPECT_EQ(box.shownFrame(), 1);
    QList<int> shown;
    for (int tick = 0; tick < 6; ++tick) {
        box.Timer1_Timer();
        shown << box.shownFrame();
    }
    EXPECT_EQ(shown, (QList<int>{1, 2, 3, 4, 1, 2}));
    expectCaptionsFit(&box);

    // The counter outlives the box: the next one goes on from frame 3.
    AboutBox next(QString(), volumes, animation);
    next.Timer1_Timer();
    EXPECT_EQ(next.shownFrame(), 3);
    EXPECT_TRUE(labelText(next, "lblName").isEmpty());
    EXPECT_TRUE(labelText(next, "lblTotal").isEmpty());
}
