// Page layout through the picture target, observed by where each element
// landed.

#include "host/reports/columnfit.h"
#include "host/reports/pagedreportwriter.h"
#include "host/reports/pagetarget.h"
#include "host/reports/recordedreport.h"
#include "host/vb/errors.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using Placement = PagedReportWriter::Placement;

struct Layout
{
    std::vector<Placement> items;
    int pages = 0;
    int pictures = 0;

    std::vector<Placement> of(Placement::Kind kind) const
    {
        std::vector<Placement> found;
        for (const Placement &p : items)
            if (p.kind == kind)
                found.push_back(p);
        return found;
    }
    const Placement *find(Placement::Kind kind, const QString &text) const
    {
        for (const Placement &p : items)
            if (p.kind == kind && p.text == text)
                return &p;
        return nullptr;
    }
};

const ReportHeader header{QStringLiteral("オブジェクト一覧"), QStringLiteral("販売管理.mdb"),
                          QStringLiteral("2024/05/01")};

const QList<ReportColumn> threeColumns{{QStringLiteral("名前"), 2, Qt::AlignLeft, false},
                                       {QStringLiteral("番号"), 1, Qt::AlignRight, true},
                                       {QStringLiteral("説明"), 3, Qt::AlignLeft, false}};

Layout layOut(const std::function<void(ReportWriter &)> &body)
{
    PicturePageTarget target;
    PagedReportWriter writer(target);
    Layout layout;
    writer.setPlacementObserver([&](const Placement &p) { layout.items.push_back(p); });
    writer.begin(header);
    body(writer);
    writer.end();
    layout.pages = writer.pageCount();
    layout.pictures = int(target.pages().size());
    return layout;
}

QString rowName(int i)
{
    return QStringLiteral("行%1").arg(i);
}

void writeRows(ReportWriter &out, int from, int count)
{
    for (int i = from; i < from + count; ++i)
        out.row({rowName(i), QString::number(i), QStringLiteral("ｶﾀｶﾅ　説明")});
}

const QSizeF a4 = a4PageSize();

} // namespace

TEST(PagedReportWriter, ManyRowsFillPagesEvenlyWithHeadingsOnEveryPage)
{
    const int rowCount = 500;
    const Layout layout = layOut([](ReportWriter &out) {
        out.columns(threeColumns);
        writeRows(out, 0, rowCount);
    });
    const auto rows = layout.of(Placement::Row);
    ASSERT_EQ(rows.size(), size_t(rowCount));
    EXPECT_EQ(layout.pictures, layout.pages);
    ASSERT_GT(layout.pages, 5);

    // Every row once, in order, inside the page; the same number per full page.
    std::vector<int> perPage(layout.pages + 1, 0);
    for (int i = 0; i < rowCount; ++i) {
        EXPECT_EQ(rows[i].text, rowName(i));
        EXPECT_GT(rows[i].rect.top(), 30);
        EXPECT_LT(rows[i].rect.bottom(), a4.height() - 30);
        if (i > 0) {
            EXPECT_TRUE(rows[i].page > rows[i - 1].page ||
                        rows[i].rect.top() >= rows[i - 1].rect.bottom() - 0.01)
                << "row " << i << " overlaps the row before";
        }
        ++perPage[rows[i].page];
    }
    const int perFullPage = perPage[1];
    ASSERT_GT(perFullPage, 20);
    for (int page = 2; page < layout.pages; ++page)
        EXPECT_EQ(perPage[page], perFullPage) << "page " << page;
    EXPECT_EQ(layout.pages, (rowCount + perFullPage - 1) / perFullPage);

    // Column headings open every page, directly above its first row.
    const auto headings = layout.of(Placement::ColumnHeadings);
    ASSERT_EQ(headings.size(), size_t(layout.pages));
    for (int page = 1; page <= layout.pages; ++page) {
        EXPECT_EQ(headings[page - 1].page, page);
        EXPECT_EQ(headings[page - 1].text, QStringLiteral("名前"));
    }
    for (const Placement &row : rows) {
        const Placement &heading = headings[row.page - 1];
        EXPECT_GE(row.rect.top(), heading.rect.bottom() - 0.01);
    }
}

TEST(PagedReportWriter, GroupHeadingKeepsWithItsFactsHeadingsAndFirstRows)
{
    // Fill page 1 with n rows of group A for every n up to a page and a bit,
    // then start group B: its heading must always share a page with its
    // column headings and its first rows, and for some n it must move to
    // page 2 although the heading bar alone would still have fitted.
    bool movedWithRoomForHeadingAlone = false;
    qreal lowestRowBottom = 0;
    std::vector<std::pair<qreal, Layout>> moved; // A's last row bottom, layout
    for (int n = 1; n < 75; ++n) {
        Layout layout = layOut([n](ReportWriter &out) {
            out.group(QStringLiteral("A"), {{QStringLiteral("種類"), QStringLiteral("表")}});
            out.columns(threeColumns);
            writeRows(out, 0, n);
            out.group(QStringLiteral("B"), {{QStringLiteral("種類"), QStringLiteral("表")},
                                            {QStringLiteral("説明"), QStringLiteral("二行目")}});
            out.columns(threeColumns);
            writeRows(out, 1000, 3);
        });
        const Placement *b = layout.find(Placement::GroupHeading, QStringLiteral("B"));
        const Placement *b0 = layout.find(Placement::Row, rowName(1000));
        const Placement *b1 = layout.find(Placement::Row, rowName(1001));
        const Placement *aLast = layout.find(Placement::Row, rowName(n - 1));
        ASSERT_TRUE(b && b0 && b1 && aLast);
        EXPECT_EQ(b->page, b0->page) << "n=" << n;
        EXPECT_EQ(b->page, b1->page) << "n=" << n;
        bool headingsBetween = false;
        for (const Placement &h : layout.of(Placement::ColumnHeadings))
            headingsBetween =
                headingsBetween || (h.page == b->page && h.rect.top() > b->rect.top() &&
                                    h.rect.bottom() <= b0->rect.top() + 0.01);
        EXPECT_TRUE(headingsBetween) << "n=" << n;
        if (aLast->page == 1)
            lowestRowBottom = std::max(lowestRowBottom, aLast->rect.bottom());
        if (aLast->page == 1 && b->page == 2)
            moved.emplace_back(aLast->rect.bottom(), layout);
        if (b->page == 1) {
            EXPECT_GT(b->rect.top(), aLast->rect.bottom());
        }
    }
    // The same for a group whose facts are followed by a text block (SQL).
    bool textMoved = false;
    for (int n = 30; n < 75; ++n) {
        Layout layout = layOut([n](ReportWriter &out) {
            out.columns(threeColumns);
            writeRows(out, 0, n);
            out.group(QStringLiteral("Q"), {{QStringLiteral("種類"), QStringLiteral("選択")}});
            out.textBlock(QStringLiteral("SELECT *\nFROM 表\nWHERE 1 = 1;"), true);
        });
        const Placement *q = layout.find(Placement::GroupHeading, QStringLiteral("Q"));
        const auto texts = layout.of(Placement::Text);
        ASSERT_TRUE(q && texts.size() == 1);
        EXPECT_EQ(q->page, texts[0].page) << "n=" << n;
        EXPECT_GT(texts[0].rect.height(), 20) << "n=" << n << ": at least two lines";
        textMoved = textMoved || q->page == 2;
    }
    EXPECT_TRUE(textMoved);

    ASSERT_FALSE(moved.empty());
    const qreal barHeight =
        moved.front().second.find(Placement::GroupHeading, QStringLiteral("B"))->rect.height();
    for (const auto &[bottom, layout] : moved)
        movedWithRoomForHeadingAlone =
            movedWithRoomForHeadingAlone || bottom + 3 * barHeight < lowestRowBottom;
    EXPECT_TRUE(movedWithRoomForHeadingAlone);
}

TEST(PagedReportWriter, TallRowsAndTextBlocksBreakOnlyWhenTheyMust)
{
    QStringList manyLines;
    for (int i = 0; i < 250; ++i)
        manyLines.append(QStringLiteral("SELECT 列%1 FROM 表 WHERE x < %1;").arg(i));
    const QString sql = manyLines.join(QLatin1Char('\n'));
    QString fiveLines = QStringLiteral("一\n二\n三\n四\n五");

    const Layout layout = layOut([&](ReportWriter &out) {
        out.columns(threeColumns);
        writeRows(out, 0, 40);
        // A five-line row near the foot moves whole; a row taller than a page
        // continues on the next pages under repeated headings.
        for (int i = 0; i < 30; ++i)
            out.row({QStringLiteral("五行%1").arg(i), QString(), fiveLines});
        out.group(QStringLiteral("長"), {});
        out.columns(threeColumns);
        out.row({QStringLiteral("長い行"), QString(), sql});
        out.row({QStringLiteral("次の行"), QString(), QString()});
        out.textBlock(sql, true);
        out.group(QStringLiteral("後"), {});
    });

    for (int i = 0; i < 30; ++i) {
        const Placement *row = layout.find(Placement::Row, QStringLiteral("五行%1").arg(i));
        ASSERT_TRUE(row);
        EXPECT_GT(row->rect.height(), 40) << "five lines are taller than one";
        EXPECT_LT(row->rect.bottom(), a4.height() - 30) << "row " << i << " was split";
    }
    const Placement *tall = layout.find(Placement::Row, QStringLiteral("長い行"));
    const Placement *next = layout.find(Placement::Row, QStringLiteral("次の行"));
    ASSERT_TRUE(tall && next);
    const Placement *tallGroup = layout.find(Placement::GroupHeading, QStringLiteral("長"));
    ASSERT_TRUE(tallGroup);
    EXPECT_EQ(tallGroup->page, tall->page) << "a page-tall row starts under its heading";
    EXPECT_GE(next->page, tall->page + 3) << "250 lines need more than two pages";
    for (int page = tall->page + 1; page <= next->page; ++page) {
        bool headings = false;
        for (const Placement &h : layout.of(Placement::ColumnHeadings))
            headings = headings || h.page == page;
        EXPECT_TRUE(headings) << "no headings on continuation page " << page;
    }

    const auto texts = layout.of(Placement::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, manyLines.first());
    const Placement *after = layout.find(Placement::GroupHeading, QStringLiteral("後"));
    ASSERT_TRUE(after);
    EXPECT_GE(after->page, texts[0].page + 1) << "the text block spans pages";
    EXPECT_EQ(after->page, layout.pages);
    EXPECT_EQ(layout.pictures, layout.pages);
}

TEST(PagedReportWriter, RecordedStreamReplaysToTheSameLayout)
{
    RecordedReport recorded;
    auto body = [](ReportWriter &out) {
        out.group(QStringLiteral("表1"), {{QStringLiteral("件数"), QStringLiteral("200")}});
        out.columns(threeColumns);
        writeRows(out, 0, 200);
        out.textBlock(QStringLiteral("Sub Main()\n\tMsgBox \"<こんにちは>\"\nEnd Sub"), true);
    };
    recorded.begin(header);
    body(recorded);
    recorded.end();
    ASSERT_TRUE(recorded.isComplete());

    const Layout direct = layOut(body);
    PicturePageTarget target;
    PagedReportWriter writer(target);
    std::vector<Placement> replayed;
    writer.setPlacementObserver([&](const Placement &p) { replayed.push_back(p); });
    recorded.replay(writer);
    ASSERT_EQ(replayed.size(), direct.items.size());
    for (size_t i = 0; i < replayed.size(); ++i) {
        EXPECT_EQ(replayed[i].kind, direct.items[i].kind);
        EXPECT_EQ(replayed[i].page, direct.items[i].page);
        EXPECT_EQ(replayed[i].rect, direct.items[i].rect);
        EXPECT_EQ(replayed[i].text, direct.items[i].text);
    }
    EXPECT_EQ(writer.pageCount(), direct.pages);
}

TEST(PagedReportWriter, MisuseOutsideBeginEndRaises)
{
    PicturePageTarget target;
    PagedReportWriter writer(target);
    try {
        writer.row({QStringLiteral("x")});
        FAIL() << "row() before begin() must raise";
    } catch (const HostError &e) {
        EXPECT_EQ(e.number(), Err::InvalidProcedureCall);
    }
    writer.begin(header);
    writer.end();
    EXPECT_THROW(writer.end(), HostError);
    EXPECT_EQ(target.pages().size(), 1) << "an empty report is one page";
}

TEST(ColumnFit, NarrowColumnsKeepTheirWidthAndWideOnesShareWhatIsLeft)
{
    auto expectWidths = [](const std::vector<qreal> &got, const std::vector<qreal> &want) {
        ASSERT_EQ(got.size(), want.size());
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_NEAR(got[i], want[i], 1e-6) << "column " << i;
    };
    expectWidths(fitColumns(100, {5, 5, 5}, {10, 80, 60}), {10, 45, 45});
    expectWidths(fitColumns(100, {1, 1}, {10, 30}), {25, 75});              // room to spare
    expectWidths(fitColumns(50, {5, 30, 5}, {10, 100, 100}), {10, 30, 10}); // headings whole
    expectWidths(fitColumns(10, {10, 10}, {20, 20}), {5, 5}); // not even the headings fit
    EXPECT_TRUE(fitColumns(100, {}, {}).empty());

    EXPECT_EQ(textEms(QStringLiteral("ABCD")), 2);
    EXPECT_EQ(textEms(QStringLiteral("説明")), 2);
    EXPECT_EQ(textEms(QStringLiteral("ﾃｰﾌﾞﾙ")), 2.5);      // half-width katakana
    EXPECT_EQ(textEms(QStringLiteral("ab\r\n説明文")), 3); // the longest line
}

TEST(PagedReportWriter, MeasuredColumnsKeepHeadingsOnOneLineAndGiveLongTextRoom)
{
    const QString description =
        QStringLiteral("得意先ごとの締め日と請求書の送付先を保持する。").repeated(3);
    auto tableOf = [&](bool measured) {
        // The columns and weights of the table listing's report.
        QList<ReportColumn> columns{{QStringLiteral("No"), 0.45, Qt::AlignRight},
                                    {QStringLiteral("フィールド名"), 1.8},
                                    {QStringLiteral("キー"), 0.45},
                                    {QStringLiteral("型"), 0.9},
                                    {QStringLiteral("サイズ"), 0.6},
                                    {QStringLiteral("必須"), 0.7},
                                    {QStringLiteral("空文字"), 0.7},
                                    {QStringLiteral("既定値"), 1.2},
                                    {QStringLiteral("入力規則"), 1.3},
                                    {QStringLiteral("エラーメッセージ"), 1.3},
                                    {QStringLiteral("説明"), 1.8}};
        const QStringList cells{QStringLiteral("1"),
                                QStringLiteral("締日"),
                                QStringLiteral("○"),
                                QStringLiteral("整数型"),
                                QStringLiteral("2"),
                                QStringLiteral("はい"),
                                QStringLiteral("いいえ"),
                                QStringLiteral("0"),
                                QString(),
                                QString(),
                                description};
        if (measured)
            measureCells(columns, cells);
        return layOut([&](ReportWriter &out) {
            out.columns(columns);
            out.row(cells);
        });
    };
    const Layout weighted = tableOf(false);
    const Layout measured = tableOf(true);
    const Layout oneLine = layOut([](ReportWriter &out) {
        out.columns({{QStringLiteral("No"), 1}});
        out.row({QStringLiteral("1")});
    });
    const qreal lineHeadings = oneLine.of(Placement::ColumnHeadings).at(0).rect.height();
    EXPECT_GT(weighted.of(Placement::ColumnHeadings).at(0).rect.height(), lineHeadings)
        << "the weights wrap エラーメッセージ";
    EXPECT_EQ(measured.of(Placement::ColumnHeadings).at(0).rect.height(), lineHeadings);
    EXPECT_LT(measured.of(Placement::Row).at(0).rect.height(),
              weighted.of(Placement::Row).at(0).rect.height() * 2 / 3)
        << "the description gets the room the short columns leave";
}
