#include "host/reports/formcontrolreport.h"

#include "host/reports/controllisting.h"
#include "host/reports/reportwriter.h"
#include "host/reports/storedwords.h"
#include "host/reports/storequery.h"

namespace {

const CodeWords &defaultViewWords()
{
    static const CodeWords words{
        {0, QStringLiteral("単票フォーム")},   {1, QStringLiteral("帳票フォーム")},
        {2, QStringLiteral("データシート")},   {3, QStringLiteral("ピボットテーブル")},
        {4, QStringLiteral("ピボットグラフ")}, {5, QStringLiteral("分割フォーム")}};
    return words;
}

const CodeWords &recordsetTypeWords()
{
    static const CodeWords words{{0, QStringLiteral("ダイナセット")},
                                 {1, QStringLiteral("ダイナセット (不一致の更新)")},
                                 {2, QStringLiteral("スナップショット")}};
    return words;
}

} // namespace

QString FormControlReport::title() const
{
    return QStringLiteral("フォーム定義書");
}

void FormControlReport::write(QSqlDatabase &store, ReportWriter &out) const
{
    QSqlQuery forms = storeQuery(
        store, QStringLiteral("SELECT objectNo, RecordSource, \"Filter\", OrderBy, Caption, "
                              "DefaultView, AllowEdits, AllowDeletions, AllowAdditions, "
                              "DataEntry, RecordsetType, RecordLocks, PopUp, Modal, "
                              "Ibent1, Ibent2, Ibent3, Ibent4, "
                              "IbentVL1, IbentVL2, IbentVL3, IbentVL4, "
                              "FormName, DateCreated, LastUpdated, Description "
                              "FROM T_FormInfo ORDER BY objectNo, rowid"));
    ControlListing controls(store, QStringLiteral("T_FormItem"));
    bool any = false;
    while (forms.next()) {
        any = true;
        ReportFacts facts{
            {QStringLiteral("レコードソース"), displayText(forms.value(1))},
            {QStringLiteral("フィルタ"), displayText(forms.value(2))},
            {QStringLiteral("並べ替え"), displayText(forms.value(3))},
            {QStringLiteral("標題"), displayText(forms.value(4))},
            {QStringLiteral("既定のビュー"), codeText(forms.value(5), defaultViewWords())},
            {QStringLiteral("更新の許可"), yesNoText(forms.value(6))},
            {QStringLiteral("削除の許可"), yesNoText(forms.value(7))},
            {QStringLiteral("追加の許可"), yesNoText(forms.value(8))},
            {QStringLiteral("データ入力用"), yesNoText(forms.value(9))},
            {QStringLiteral("レコードセット"), codeText(forms.value(10), recordsetTypeWords())},
            {QStringLiteral("レコードロック"), codeText(forms.value(11), recordLocksWords())},
            {QStringLiteral("ポップアップ"), yesNoText(forms.value(12))},
            {QStringLiteral("作業ウィンドウ固定"), yesNoText(forms.value(13))}};
        appendEventFacts(facts, forms, 14);
        facts.append({QStringLiteral("作成日"), dateText(forms.value(23))});
        facts.append({QStringLiteral("更新日"), dateText(forms.value(24))});
        facts.append({QStringLiteral("説明"), displayText(forms.value(25))});
        out.group(QStringLiteral("フォーム：%1").arg(displayText(forms.value(22))), facts);
        controls.write(forms.value(0).toInt(), out);
    }
    if (!any)
        out.textBlock(QStringLiteral("フォームの情報はありません。"), false);
}
