#include "shell/hints.h"

namespace {

struct Hint
{
    const char16_t *control;
    const char16_t *text;
};

// ASCII spaces, except the ideographic space of the module list's hint.
const Hint hints[] = {
    {u"frmQuillmark", u""},
    {u"chkRO", u"読み取り専用"},
    {u"OptMode(0)", u"ｵﾌﾞｼﾞｪｸﾄを選択"},
    {u"OptMode(1)", u"ｵﾌﾞｼﾞｪｸﾄを選択"},
    {u"OptMode(2)", u"ｵﾌﾞｼﾞｪｸﾄを選択"},
    {u"OptMode(3)", u"ｵﾌﾞｼﾞｪｸﾄを選択"},
    {u"OptMode(4)", u"ｵﾌﾞｼﾞｪｸﾄを選択"},
    {u"cmdOpen", u"ｵﾌﾞｼﾞｪｸﾄを開く"},
    {u"Frame2", u"表示形式を選択"},
    {u"cmdExport", u"ﾃｰﾌﾞﾙ出力 機能"},
    {u"cmdKaiseki", u"ﾃﾞｰﾀﾍﾞｰｽ解析 機能"},
    {u"cmdCompact", u"修復・最適化 機能"},
    {u"cmdCapture", u"ﾌｫｰﾑのｷｬﾌﾟﾁｬｰ 機能"},
    {u"cmdModosu", u"元に戻す"},
    {u"cmdObject", u"ｵﾌﾞｼﾞｪｸﾄ 一覧"},
    {u"cmdTableF", u"ﾃｰﾌﾞﾙ 項目一覧"},
    {u"cmdQueryF", u"クエリー項目一覧"},
    {u"cmdFormC", u"フォーム項目一覧"},
    {u"cmdReportC", u"レポート項目一覧"},
    {u"cmdModuleL", u"モジュール\u3000一覧"},
    {u"cmdSaveCSV", u"CSV形式 出力"},
    {u"cmdSaveRTF", u"RTF形式 出力"},
    {u"cmdSaveExcel", u"EXCEL形式 出力"},
};

} // namespace

std::optional<QString> hintFor(QStringView controlName)
{
    for (const Hint &hint : hints) {
        if (controlName == QStringView(hint.control))
            return QString::fromUtf16(hint.text);
    }
    return std::nullopt;
}
