// The shaped-text cache: widths that decide wrapping, glyphs a font lacks,
// and what a PDF drawn from cached runs gives back as text.

#include "host/reports/pagedreportwriter.h"
#include "host/reports/pagetarget.h"
#include "host/reports/textcache.h"

#include <QProcess>
#include <QRawFont>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextLayout>

#include <gtest/gtest.h>

namespace {

QFont reportLikeFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("IPAPGothic")});
    font.setPixelSize(85);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(false);
    return font;
}

// Hebrew is in no IPA font, so it must come from a fallback font.
const QString mixed = QStringLiteral("表示 שלום ﾃｷｽﾄ");

QString pdfText(const QString &pdf)
{
    QProcess run;
    run.start(QStringLiteral("pdftotext"),
              {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    if (!run.waitForFinished(30000) || run.exitCode() != 0)
        return QStringLiteral("<pdftotext failed>");
    return QString::fromUtf8(run.readAllStandardOutput());
}

// The glyphs and metrics Qt's own layout gives the text, on one line.
struct Laid
{
    QList<quint32> glyphs;
    QList<QPointF> positions; // relative to the baseline origin
    qreal advance, ascent, height;
};

Laid layOutWithQt(const QString &text, const QFont &font)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e9);
    layout.endLayout();
    Laid laid{{}, {}, line.horizontalAdvance(), line.ascent(), line.height()};
    for (const QGlyphRun &run : line.glyphRuns()) {
        laid.glyphs += run.glyphIndexes();
        for (QPointF p : run.positions())
            laid.positions.append(p - QPointF(0, line.ascent()));
    }
    return laid;
}

} // namespace

TEST(TextCache, ShapesAsQtsLayoutDoes)
{
    // Plain Latin, kana and kanji take a shorter way than the rest; both
    // must give what the layout engine gives, glyph for glyph.
    const QFont font = reportLikeFont();
    TextCache cache(font, 100);
    for (const QString &text :
         {QStringLiteral("Public Sub Form_Load()"), QStringLiteral("office fi ffi AV To"),
          QStringLiteral("ﾃｰﾌﾞﾙ　全角空白、句読点。"), QStringLiteral("項目_12 (説明)"),
          QStringLiteral("    Dim x As Long ' 註釈"), QStringLiteral("か\u3099"),
          QStringLiteral("Ω≠∞ €"), mixed}) {
        const ShapedText &shaped = cache.shape(text);
        const Laid laid = layOutWithQt(text, font);
        QList<quint32> glyphs;
        QList<QPointF> positions;
        for (const QGlyphRun &run : shaped.runs) {
            glyphs += run.glyphIndexes();
            positions += run.positions();
        }
        EXPECT_EQ(glyphs, laid.glyphs) << text.toStdString();
        ASSERT_EQ(positions.size(), laid.positions.size()) << text.toStdString();
        for (qsizetype i = 0; i < positions.size(); ++i) {
            EXPECT_NEAR(positions[i].x(), laid.positions[i].x(), 1e-6) << text.toStdString();
            EXPECT_NEAR(positions[i].y(), laid.positions[i].y(), 1e-6) << text.toStdString();
        }
        EXPECT_NEAR(shaped.advance, laid.advance, 1e-6) << text.toStdString();
        EXPECT_NEAR(shaped.ascent, laid.ascent, 1e-6) << text.toStdString();
        EXPECT_NEAR(shaped.height, laid.height, 1e-6) << text.toStdString();
    }
}

TEST(TextCache, WidthsEqualTheFontMetricsSoCellsWrapWhereTheyDidAndRepeatsAreOneEntry)
{
    const QFont font = reportLikeFont();
    const QFontMetricsF metrics(font);
    TextCache cache(font, 4 * metrics.horizontalAdvance(QLatin1Char(' ')));
    for (const QString &text :
         {QStringLiteral("項目_12"), QStringLiteral("ﾃｰﾌﾞﾙ　全角空白"), QStringLiteral("Text "),
          QStringLiteral("長めの説明文　折り返しが必要になるほど長い説明"), QString(), mixed}) {
        const ShapedText &shaped = cache.shape(text);
        EXPECT_NEAR(shaped.advance, metrics.horizontalAdvance(text), 1e-6) << text.toStdString();
        EXPECT_EQ(shaped.text, text);
        EXPECT_GT(shaped.height, 0);
        int glyphs = 0;
        for (const QGlyphRun &run : shaped.runs)
            glyphs += int(run.glyphIndexes().size());
        EXPECT_EQ(glyphs, text.size()) << "one glyph per character here";
    }
    // Glyph positions are relative to the baseline origin: the first glyph
    // starts at x 0 and sits on y 0.
    const ShapedText &one = cache.shape(QStringLiteral("項目"));
    ASSERT_FALSE(one.runs.isEmpty());
    EXPECT_NEAR(one.runs.front().positions().front().x(), 0, 1e-6);
    EXPECT_NEAR(one.runs.front().positions().front().y(), 0, 1e-6);
    const ShapedText *first = &cache.shape(QStringLiteral("型"));
    EXPECT_EQ(&cache.shape(QStringLiteral("型")), first) << "a repeated string is not shaped again";
}

TEST(TextCache, AGlyphTheMainFontLacksComesFromAFallbackAndReachesThePdf)
{
    const QFont font = reportLikeFont();
    const QRawFont main = QRawFont::fromFont(font);
    ASSERT_TRUE(main.familyName().startsWith(QStringLiteral("IPA")))
        << "IPA fonts (fonts-ipafont-gothic) are needed";
    ASSERT_FALSE(main.supportsCharacter(QChar(0x05E9)));

    TextCache cache(font, 100);
    const ShapedText &shaped = cache.shape(mixed);
    ASSERT_GE(shaped.runs.size(), 2) << "main font and fallback";
    bool fallbackHasHebrew = false;
    for (const QGlyphRun &run : shaped.runs) {
        for (quint32 glyph : run.glyphIndexes())
            EXPECT_NE(glyph, 0u) << "no missing-glyph box in "
                                 << run.rawFont().familyName().toStdString();
        fallbackHasHebrew = fallbackHasHebrew || run.rawFont().supportsCharacter(QChar(0x05E9));
    }
    EXPECT_TRUE(fallbackHasHebrew);

    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mixed.pdf"));
    {
        PdfPageTarget target(path, QStringLiteral("テスト"));
        PagedReportWriter writer(target);
        writer.begin({QStringLiteral("テスト一覧"), QStringLiteral("販売管理.mdb"),
                      QStringLiteral("2024/05/01")});
        writer.columns({{QStringLiteral("名前"), 1, Qt::AlignLeft, false}});
        writer.row({mixed});
        writer.end();
    }
    const QString text = pdfText(path);
    EXPECT_TRUE(text.contains(QStringLiteral("表示"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("ﾃｷｽﾄ"))) << text.toStdString();
    // Right-to-left text may come back in either order; each letter must be there.
    for (QChar c : QStringLiteral("שלום"))
        EXPECT_TRUE(text.contains(c)) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("1 ページ")));
}
