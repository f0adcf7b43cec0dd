// The form and report control listings (R_Form, R_Report) over a store
// filled the way the harvesters fill it: through the store's recordsets,
// with the host's values (Booleans, codes, dates) as they come.

#include "reports/streamlog.h"

#include "host/reports/reportoutput.h"
#include "host/reports/reportregistry.h"
#include "host/reports/storedwords.h"
#include "host/reports/storereports.h"
#include "host/store/store.h"
#include "host/vb/errors.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

using Fields = QList<QPair<QString, Value>>;

class DesignStore
{
public:
    DesignStore()
        : m_store(Store::open(m_dir.filePath(QStringLiteral("Analize.mdb"))))
    {
        registerStoreReports();
    }

    Store &store() { return *m_store; }
    QString folder() const { return m_dir.path(); }

    void add(const QString &table, const Fields &fields)
    {
        Recordset &rs = m_store->OpenRecordset(table);
        rs.AddNew();
        for (const auto &[name, value] : fields)
            rs.setField(name, value);
        rs.Update();
    }
    // One T_FormItem / T_ReportItem row as CtlPtyWrite writes it.
    void addItem(const QString &table, int controlNo, int propertyNo, const QString &name,
                 const QString &type, bool visible, const QString &tlwh, const QString &bunrui,
                 const QString &property, const QString &value)
    {
        add(table, {{QStringLiteral("objectNo"), Value::integer(1)},
                    {QStringLiteral("ControlNo"), Value::integer(qint16(controlNo))},
                    {QStringLiteral("PropertyNo"), Value::integer(qint16(propertyNo))},
                    {QStringLiteral("Name"), Value(name)},
                    {QStringLiteral("ControlType"), Value(type)},
                    {QStringLiteral("cntlVisible"), Value::boolean(visible)},
                    {QStringLiteral("TLWH"), Value(tlwh)},
                    {QStringLiteral("Bunrui"), Value(bunrui)},
                    {QStringLiteral("PropertyName"), Value(property)},
                    {QStringLiteral("PropertyValue"), Value(value)}});
    }

    StreamLog render(const QString &reportName)
    {
        m_store->commit();
        const std::unique_ptr<StoreReport> report = createReport(reportName);
        StreamLog log;
        writeReport(*report, m_store->connection(), log,
                    reportHeader(*report, m_store->connection()));
        return log;
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Store> m_store;
};

const QString formItem = QStringLiteral("T_FormItem");
const QString reportItem = QStringLiteral("T_ReportItem");
const QString textBoxPlace = QStringLiteral("1.764cm・1cm・5cm・0.499cm");

void addOrderForm(DesignStore &s)
{
    s.add(QStringLiteral("T_FormInfo"),
          {{QStringLiteral("objectNo"), Value::integer(1)},
           {QStringLiteral("RecordSource"), Value(QStringLiteral("Q_受注一覧"))},
           {QStringLiteral("Filter"), Value(QStringLiteral("[地域]='東京'"))},
           {QStringLiteral("OrderBy"), Value(QStringLiteral("受注日 DESC"))},
           {QStringLiteral("Caption"), Value(QStringLiteral("受注入力"))},
           {QStringLiteral("DefaultView"), Value::integer(1)},
           {QStringLiteral("AllowEdits"), Value::boolean(true)},
           {QStringLiteral("AllowDeletions"), Value::boolean(false)},
           {QStringLiteral("AllowAdditions"), Value::boolean(true)},
           {QStringLiteral("DataEntry"), Value::boolean(false)},
           {QStringLiteral("RecordsetType"), Value::integer(2)},
           {QStringLiteral("RecordLocks"), Value::integer(2)},
           {QStringLiteral("PopUp"), Value::boolean(false)},
           {QStringLiteral("Modal"), Value::boolean(true)},
           {QStringLiteral("Ibent1"), Value(QStringLiteral("開く時"))},
           {QStringLiteral("IbentVL1"), Value(QStringLiteral("[Event Procedure]"))},
           {QStringLiteral("Ibent2"), Value(QStringLiteral("読込時"))},
           {QStringLiteral("IbentVL2"), Value(QStringLiteral("=初期化()"))},
           {QStringLiteral("FormName"), Value(QStringLiteral("F_受注"))},
           {QStringLiteral("DateCreated"), Value::date(45413)},
           {QStringLiteral("LastUpdated"), Value::date(45458)},
           {QStringLiteral("Description"), Value(QStringLiteral("受注の入力画面"))}});

    // Written out of order on purpose: the listing orders by control, then row.
    const QList<QStringList> textBoxRows{
        {QStringLiteral("ｲﾍﾞﾝﾄ"), QStringLiteral("ﾀﾞﾌﾞﾙｸﾘｯｸ時"), QStringLiteral("=日付選択()")},
        {QStringLiteral("ﾃﾞｰﾀ"), QStringLiteral("ｺﾝﾄﾛｰﾙｿｰｽ"), QStringLiteral("受注日")},
        {QStringLiteral("書式"), QStringLiteral("書式・定型入力"), QStringLiteral("yyyy/mm/dd・")},
        {QStringLiteral("その他"), QStringLiteral("IMEﾓｰﾄﾞ・保持"), QStringLiteral("オフ・いいえ")},
        {QStringLiteral("ﾃﾞｰﾀ"), QStringLiteral("規定値・編集ﾛｯｸ"),
         QStringLiteral("=Date()・いいえ")},
        {QStringLiteral("ﾃﾞｰﾀ"), QStringLiteral("入力規則(ﾒｯｾｰｼﾞ)"),
         QStringLiteral("<=Date()(未来の日付は入力できません)")},
        {QStringLiteral("その他"), QStringLiteral("ﾀﾌﾞｽﾄｯﾌﾟ・移動順"), QStringLiteral("はい・0")},
        {QStringLiteral("その他"), QStringLiteral("ﾋﾝﾄﾃｷｽﾄ"), QStringLiteral("受注した日")},
        {QStringLiteral("ｲﾍﾞﾝﾄ"), QStringLiteral("更新後処理"),
         QStringLiteral("[Event Procedure]")},
    };
    const QList<int> textBoxNumbers{9, 1, 2, 3, 4, 5, 6, 7, 8};
    for (int i = 0; i < textBoxRows.size(); ++i)
        s.addItem(formItem, 12, textBoxNumbers[i], QStringLiteral("txt受注日"),
                  QStringLiteral("TextBox"), true, textBoxPlace, textBoxRows[i][0],
                  textBoxRows[i][1], textBoxRows[i][2]);
    s.addItem(formItem, 11, 1, QStringLiteral("lbl受注日"), QStringLiteral("Label"), true,
              QStringLiteral("1.764cm・0.2cm・1.5cm・0.499cm"), QStringLiteral("書式"),
              QStringLiteral("標題"), QStringLiteral("受注日"));
    s.addItem(formItem, 14, 2, QStringLiteral("cmd閉じる"), QStringLiteral("CommandButton"), true,
              QStringLiteral("6cm・8cm・2cm・0.6cm"), QStringLiteral("ｲﾍﾞﾝﾄ"),
              QStringLiteral("ｸﾘｯｸ時"), QStringLiteral("[Event Procedure]"));
    s.addItem(formItem, 14, 1, QStringLiteral("cmd閉じる"), QStringLiteral("CommandButton"), true,
              QStringLiteral("6cm・8cm・2cm・0.6cm"), QStringLiteral("書式"),
              QStringLiteral("標題"), QStringLiteral("閉じる"));
    s.addItem(formItem, 13, 1, QStringLiteral("改ページ1"), QStringLiteral("PageBreak"), false,
              QStringLiteral("5cm・0cm"), QString(), QString(), QString());
}

HostError expectHostError(const std::function<void()> &call)
{
    try {
        call();
    } catch (const HostError &e) {
        return e;
    }
    ADD_FAILURE() << "no HostError raised";
    return HostError(Err::Overflow, QString());
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(FormControlReport, SummaryInWordsThenEachControlHeadingWithItsRowsInOrder)
{
    DesignStore s;
    addOrderForm(s);
    const StreamLog log = s.render(QStringLiteral("R_Form"));
    const QString columns = QStringLiteral("columns 分類|プロパティ|設定値");
    const QStringList expected{
        QStringLiteral("begin フォーム定義書"),
        QStringLiteral("group フォーム：F_受注"),
        QStringLiteral("fact レコードソース=Q_受注一覧"),
        QStringLiteral("fact フィルタ=[地域]='東京'"),
        QStringLiteral("fact 並べ替え=受注日 DESC"),
        QStringLiteral("fact 標題=受注入力"),
        QStringLiteral("fact 既定のビュー=帳票フォーム (1)"),
        QStringLiteral("fact 更新の許可=はい"),
        QStringLiteral("fact 削除の許可=いいえ"),
        QStringLiteral("fact 追加の許可=はい"),
        QStringLiteral("fact データ入力用=いいえ"),
        QStringLiteral("fact レコードセット=スナップショット (2)"),
        QStringLiteral("fact レコードロック=編集済みレコード (2)"),
        QStringLiteral("fact ポップアップ=いいえ"),
        QStringLiteral("fact 作業ウィンドウ固定=はい"),
        QStringLiteral("fact 開く時=[Event Procedure]"),
        QStringLiteral("fact 読込時==初期化()"),
        QStringLiteral("fact 作成日=2024/05/01"),
        QStringLiteral("fact 更新日=2024/06/15"),
        QStringLiteral("fact 説明=受注の入力画面"),
        QStringLiteral(
            "group 11. lbl受注日（Label）　表示：はい　位置：1.764cm・0.2cm・1.5cm・0.499cm"),
        columns,
        QStringLiteral("row 書式|標題|受注日"),
        QStringLiteral("group 12. txt受注日（TextBox）　表示：はい　位置：") + textBoxPlace,
        columns,
        QStringLiteral("row ﾃﾞｰﾀ|ｺﾝﾄﾛｰﾙｿｰｽ|受注日"),
        QStringLiteral("row 書式|書式・定型入力|yyyy/mm/dd・"),
        QStringLiteral("row その他|IMEﾓｰﾄﾞ・保持|オフ・いいえ"),
        QStringLiteral("row ﾃﾞｰﾀ|規定値・編集ﾛｯｸ|=Date()・いいえ"),
        QStringLiteral("row ﾃﾞｰﾀ|入力規則(ﾒｯｾｰｼﾞ)|<=Date()(未来の日付は入力できません)"),
        QStringLiteral("row その他|ﾀﾌﾞｽﾄｯﾌﾟ・移動順|はい・0"),
        QStringLiteral("row その他|ﾋﾝﾄﾃｷｽﾄ|受注した日"),
        QStringLiteral("row ｲﾍﾞﾝﾄ|更新後処理|[Event Procedure]"),
        QStringLiteral("row ｲﾍﾞﾝﾄ|ﾀﾞﾌﾞﾙｸﾘｯｸ時|=日付選択()"),
        // The page break's Blank row: its heading, no empty row.
        QStringLiteral("group 13. 改ページ1（PageBreak）　表示：いいえ　位置：5cm・0cm"),
        columns,
        QStringLiteral(
            "group 14. cmd閉じる（CommandButton）　表示：はい　位置：6cm・8cm・2cm・0.6cm"),
        columns,
        QStringLiteral("row 書式|標題|閉じる"),
        QStringLiteral("row ｲﾍﾞﾝﾄ|ｸﾘｯｸ時|[Event Procedure]"),
        QStringLiteral("end"),
    };
    EXPECT_EQ(log.lines, expected) << log.lines.join(QLatin1Char('\n')).toStdString();
}

TEST(ReportControlReport, SummaryThenGroupLevelsInWordsThenControls)
{
    DesignStore s;
    s.add(QStringLiteral("T_ReportInfo"),
          {{QStringLiteral("objectNo"), Value::integer(1)},
           {QStringLiteral("RecordSource"), Value(QStringLiteral("T_受注"))},
           {QStringLiteral("Filter"), Value(QString())},
           {QStringLiteral("OrderBy"), Value(QString())},
           {QStringLiteral("Caption"), Value(QStringLiteral("受注一覧"))},
           {QStringLiteral("RecordLocks"), Value::integer(0)},
           {QStringLiteral("Ibent1"), Value(QStringLiteral("空ﾃﾞｰﾀ時"))},
           {QStringLiteral("IbentVL1"), Value(QStringLiteral("[Event Procedure]"))},
           {QStringLiteral("ReportName"), Value(QStringLiteral("R_受注一覧"))},
           {QStringLiteral("DateCreated"), Value::date(45413)},
           {QStringLiteral("LastUpdated"), Value::date(45413)}});
    struct Level
    {
        QString source;
        bool descending, header, footer;
        int groupOn, interval, keep;
    };
    const QList<Level> levels{{QStringLiteral("受注日"), true, true, false, 4, 1, 1},
                              {QStringLiteral("得意先ID"), false, false, true, 0, 1, 2},
                              {QStringLiteral("=Left([商品名],1)"), false, true, true, 9, 5, 0}};
    for (int i = 0; i < levels.size(); ++i) {
        const Level &l = levels[i];
        s.add(QStringLiteral("T_ReportGroup"),
              {{QStringLiteral("objectNo"), Value::integer(1)},
               {QStringLiteral("GroupNo"), Value::integer(qint16(i + 1))},
               {QStringLiteral("ControlSource"), Value(l.source)},
               {QStringLiteral("SortOrder"), Value::boolean(l.descending)},
               {QStringLiteral("GroupHeader"), Value::boolean(l.header)},
               {QStringLiteral("GroupFooter"), Value::boolean(l.footer)},
               {QStringLiteral("GroupOn"), Value::integer(qint16(l.groupOn))},
               {QStringLiteral("GroupInterval"), Value::longInt(l.interval)},
               {QStringLiteral("KeepTogether"), Value::integer(qint16(l.keep))}});
    }
    s.addItem(reportItem, 22, 1, QStringLiteral("タブ1"), QStringLiteral("TabCtl"), true,
              QStringLiteral("0cm・0cm・10cm・5cm"), QString(), QString(), QString());
    s.addItem(reportItem, 21, 2, QStringLiteral("txt受注日"), QStringLiteral("TextBox"), true,
              textBoxPlace, QStringLiteral("書式"), QStringLiteral("書式・定型入力"),
              QStringLiteral("yyyy/mm/dd・"));
    s.addItem(reportItem, 21, 1, QStringLiteral("txt受注日"), QStringLiteral("TextBox"), true,
              textBoxPlace, QStringLiteral("ﾃﾞｰﾀ"), QStringLiteral("ｺﾝﾄﾛｰﾙｿｰｽ"),
              QStringLiteral("受注日"));

    const QStringList summary{
        QStringLiteral("begin レポート定義書"),
        QStringLiteral("group レポート：R_受注一覧"),
        QStringLiteral("fact レコードソース=T_受注"),
        QStringLiteral("fact フィルタ="),
        QStringLiteral("fact 並べ替え="),
        QStringLiteral("fact 標題=受注一覧"),
        QStringLiteral("fact レコードロック=しない (0)"),
        QStringLiteral("fact 空ﾃﾞｰﾀ時=[Event Procedure]"),
        QStringLiteral("fact 作成日=2024/05/01"),
        QStringLiteral("fact 更新日=2024/05/01"),
        QStringLiteral("fact 説明="),
        QStringLiteral("group 並べ替え/グループ化"),
    };
    const QStringList controls{
        QStringLiteral("group 21. txt受注日（TextBox）　表示：はい　位置：") + textBoxPlace,
        QStringLiteral("columns 分類|プロパティ|設定値"),
        QStringLiteral("row ﾃﾞｰﾀ|ｺﾝﾄﾛｰﾙｿｰｽ|受注日"),
        QStringLiteral("row 書式|書式・定型入力|yyyy/mm/dd・"),
        QStringLiteral("group 22. タブ1（TabCtl）　表示：はい　位置：0cm・0cm・10cm・5cm"),
        QStringLiteral("columns 分類|プロパティ|設定値"),
        QStringLiteral("end"),
    };
    const QStringList levelTable{
        QStringLiteral("columns No|フィールド/式|並べ替え順序|グループヘッダー|"
                       "グループフッター|グループ化の条件|グループ間隔|同一ページに印刷"),
        QStringLiteral("row 1|受注日|降順|はい|いいえ|月 (4)|1|グループ全体 (1)"),
        QStringLiteral("row 2|得意先ID|昇順|いいえ|はい|各値 (0)|1|最初の詳細と (2)"),
        QStringLiteral("row 3|=Left([商品名],1)|昇順|はい|はい|間隔 (9)|5|しない (0)"),
    };
    const StreamLog withLevels = s.render(QStringLiteral("R_Report"));
    EXPECT_EQ(withLevels.lines, summary + levelTable + controls)
        << withLevels.lines.join(QLatin1Char('\n')).toStdString();

    s.store().Execute(QStringLiteral("delete * from T_ReportGroup;"));
    const QStringList noLevels{QStringLiteral("text 並べ替え/グループ化の設定はありません。")};
    const StreamLog withoutLevels = s.render(QStringLiteral("R_Report"));
    EXPECT_EQ(withoutLevels.lines, summary + noLevels + controls)
        << withoutLevels.lines.join(QLatin1Char('\n')).toStdString();
}

TEST(ControlReports, EmptyStoreSaysSoAndAStoreWithoutTheirTablesRaises31003)
{
    DesignStore s;
    // Rows of controls with no summary row are not a form of their own.
    s.addItem(formItem, 1, 1, QStringLiteral("lbl"), QStringLiteral("Label"), true,
              QStringLiteral("0cm・0cm・1cm・1cm"), QStringLiteral("書式"), QStringLiteral("標題"),
              QString());
    EXPECT_EQ(
        s.render(QStringLiteral("R_Form")).lines,
        (QStringList{QStringLiteral("begin フォーム定義書"),
                     QStringLiteral("text フォームの情報はありません。"), QStringLiteral("end")}));
    EXPECT_EQ(
        s.render(QStringLiteral("R_Report")).lines,
        (QStringList{QStringLiteral("begin レポート定義書"),
                     QStringLiteral("text レポートの情報はありません。"), QStringLiteral("end")}));

    for (const char *table : {"T_FormItem", "T_ReportGroup"}) {
        DesignStore broken;
        QSqlQuery(broken.store().connection())
            .exec(QStringLiteral("DROP TABLE %1").arg(QLatin1String(table)));
        const QString report = QLatin1String(table) == formItem ? QStringLiteral("R_Form")
                                                                : QStringLiteral("R_Report");
        const HostError e = expectHostError([&] { broken.render(report); });
        EXPECT_EQ(e.number(), Err::StoreUnusable) << table;
        EXPECT_TRUE(e.description().contains(QLatin1String(table)))
            << e.description().toStdString();
    }
}

TEST(StoredWords, BooleansAndCodesReadInEveryFormTheStoreKeeps)
{
    // Untyped columns keep a host Boolean as its text, or as -1/0 when it came as a number.
    EXPECT_EQ(yesNoText(QStringLiteral("True")), QStringLiteral("はい"));
    EXPECT_EQ(yesNoText(QStringLiteral("false")), QStringLiteral("いいえ"));
    EXPECT_EQ(yesNoText(qlonglong(-1)), QStringLiteral("はい"));
    EXPECT_EQ(yesNoText(0.0), QStringLiteral("いいえ"));
    EXPECT_EQ(yesNoText(QVariant()), QString());
    EXPECT_EQ(yesNoText(QStringLiteral("既定")), QStringLiteral("既定"));
    EXPECT_EQ(booleanText(QStringLiteral("True"), QStringLiteral("降順"), QStringLiteral("昇順")),
              QStringLiteral("降順"));

    const CodeWords words{{0, QStringLiteral("しない")}, {2, QStringLiteral("編集済みレコード")}};
    EXPECT_EQ(codeText(qlonglong(2), words), QStringLiteral("編集済みレコード (2)"));
    EXPECT_EQ(codeText(2.0, words), QStringLiteral("編集済みレコード (2)"));
    EXPECT_EQ(codeText(QStringLiteral("0"), words), QStringLiteral("しない (0)"));
    EXPECT_EQ(codeText(qlonglong(1), words), QStringLiteral("1")) << "unknown code as stored";
    EXPECT_EQ(codeText(2.5, words), QStringLiteral("2.5"));
    EXPECT_EQ(codeText(QVariant(), words), QString());
}

TEST(ControlReports, ALargeFormPrintsToPdfAndHtmlWithEveryControlInOrder)
{
    DesignStore s;
    addOrderForm(s);
    const int controls = 500;
    for (int c = 0; c < controls; ++c)
        for (int p = 1; p <= 6; ++p)
            s.addItem(formItem, 100 + c, p, QStringLiteral("ctl%1").arg(c),
                      QStringLiteral("TextBox"), true, textBoxPlace, QStringLiteral("ﾃﾞｰﾀ"),
                      QStringLiteral("項目%1").arg(p), QStringLiteral("値%1-%2").arg(c).arg(p));
    s.store().commit();

    FileReportOutput pdf(s.folder() + QStringLiteral("/out"), FileReportOutput::Format::Pdf);
    const std::unique_ptr<StoreReport> report = createReport(QStringLiteral("r_form"));
    pdf.show(QStringLiteral("R_Form"), *report, s.store().connection());
    const QByteArray bytes = readAll(pdf.lastPath());
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_GT(pdf.lastPageCount(), 20) << "3,000 rows and 504 headings";

    FileReportOutput html(s.folder() + QStringLiteral("/out"), FileReportOutput::Format::Html);
    html.show(QStringLiteral("R_Form"), *report, s.store().connection());
    const QString text = QString::fromUtf8(readAll(html.lastPath()));
    EXPECT_EQ(text.count(QStringLiteral("<h2>")), 1 + 4 + controls);
    qsizetype at = text.indexOf(QStringLiteral("<h2>フォーム：F_受注</h2>"));
    ASSERT_GE(at, 0);
    for (int c = 0; c < controls; ++c) {
        const qsizetype heading =
            text.indexOf(QStringLiteral("<h2>%1. ctl%2（TextBox）").arg(100 + c).arg(c), at);
        ASSERT_GT(heading, at) << c;
        const qsizetype last = text.indexOf(QStringLiteral("値%1-6").arg(c), heading);
        ASSERT_GT(last, heading) << c;
        at = last;
    }
}
