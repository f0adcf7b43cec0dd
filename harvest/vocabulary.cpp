#include "harvest/vocabulary.h"

#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

using Row = std::pair<const char16_t *, const char16_t *>;

template <size_t N>
QString lookUp(const Row (&table)[N], QStringView key, const char16_t *otherwise = u"?")
{
    for (const Row &row : table) {
        if (key == QStringView(row.first))
            return QString::fromUtf16(row.second);
    }
    return QString::fromUtf16(otherwise);
}

const Row controlTypes[] = {
    {u"101", u"Rectangle"}, {u"100", u"Label"},         {u"102", u"Line"},
    {u"103", u"Image"},     {u"104", u"CommandButton"}, {u"105", u"OptionButton"},
    {u"106", u"CheckBox"},  {u"107", u"OptionGroup"},   {u"108", u"BoundObjectFrame"},
    {u"109", u"TextBox"},   {u"110", u"ListBox"},       {u"111", u"ComboBox"},
    {u"112", u"Subform"},   {u"114", u"ObjectFrame"},   {u"118", u"PageBreak"},
    {u"124", u"Page"},      {u"119", u"CustomControl"}, {u"122", u"ToggleButton"},
    {u"123", u"TabCtl"},
};

const Row eventLabels[] = {
    {u"OnCurrent", u"ﾚｺｰﾄﾞ移動時"},
    {u"BeforeInsert", u"挿入前処理"},
    {u"AfterInsert", u"挿入後処理"},
    {u"BeforeUpdate", u"更新前処理"},
    {u"AfterUpdate", u"更新後処理"},
    {u"OnChange", u"変更時"},
    {u"OnNotInList", u"ﾘｽﾄ外入力時"},
    {u"OnEnter", u"ﾌｫｰｶｽ取得時"},
    {u"OnExit", u"ﾌｫｰｶｽ喪失時"},
    {u"OnGotFocus", u"ﾌｫｰｶｽ取得後"},
    {u"OnLostFocus", u"ﾌｫｰｶｽ喪失後"},
    {u"OnClick", u"ｸﾘｯｸ時"},
    {u"OnDblClick", u"ﾀﾞﾌﾞﾙｸﾘｯｸ時"},
    {u"OnMouseDown", u"ﾏｳｽｸﾘｯｸ時"},
    {u"OnMouseMove", u"ﾏｳｽ移動時"},
    {u"OnMouseUp", u"ﾏｳｽ解放時"},
    {u"OnKeyDown", u"ｷｰｸﾘｯｸ時"},
    {u"OnKeyUp", u"ｷｰ解放時"},
    {u"OnKeyPress", u"ｷｰ入力時"},
    {u"OnOpen", u"開く時"},
    {u"OnLoad", u"読込時"},
    {u"OnResize", u"ｻｲｽﾞ変更時"},
    {u"OnUnload", u"読込解放時"},
    {u"OnClose", u"閉じる時"},
    {u"OnActivate", u"ｱｸﾃｨﾌﾞ時"},
    {u"OnDeactivate", u"非ｱｸﾃｨﾌﾞ時"},
    {u"OnError", u"ｴﾗｰ時"},
    {u"OnFilter", u"ﾌｨﾙﾀ設定時"},
    {u"OnApplyFilter", u"ﾌｨﾙﾀ実行時"},
    {u"OnTimer", u"ﾀｲﾏ時"},
    {u"OnNoData", u"空ﾃﾞｰﾀ時"},
    {u"OnPage", u"ﾍﾟｰｼﾞﾌｫｰﾏｯﾄ時"},
    {u"OnPrint", u"印刷時"},
    {u"OnFormat", u"ﾌｫｰﾏｯﾄ時"},
    {u"OnRetreat", u"戻り時"},
};

const Row lineStyles[] = {
    {u"0", u"透明"},   {u"1", u"実線"},   {u"2", u"破線１"},   {u"3", u"破線２"},
    {u"4", u"点線１"}, {u"5", u"点線２"}, {u"6", u"一点鎖線"}, {u"7", u"二点鎖線"},
};

const Row imeModes[] = {
    {u"0", u"ｺﾝﾄﾛｰﾙなし"}, {u"1", u"オン"},     {u"2", u"オフ"},
    {u"3", u"使用不可"},   {u"4", u"ひらがな"}, {u"5", u"全角ｶﾀｶﾅ"},
    {u"6", u"半角ｶﾀｶﾅ"},   {u"7", u"全角英数"}, {u"8", u"半角英数"},
};

const Row rowSourceTypes[] = {
    {u"Table/Query", u"ﾃｰﾌﾞﾙ/ｸｴﾘｰ"},
    {u"Value List", u"値ﾘｽﾄ"},
    {u"Field List", u"ﾌｨｰﾙﾄﾞﾘｽﾄ"},
};

const Row oleTypes[] = {{u"0", u"ﾘﾝｸ"}, {u"1", u"埋め込み"}, {u"3", u"なし"}};

const Row sizeModes[] = {{u"0", u"ｸﾘｯﾌﾟ"}, {u"1", u"ｽﾄﾚｯﾁ"}, {u"3", u"ｽﾞｰﾑ"}};

const Row yesNo[] = {{u"True", u"はい"}, {u"False", u"いいえ"}};

const Row fieldTypes[] = {
    {u"1", u"Boolean"},  {u"2", u"Byte"},   {u"3", u"Integer"}, {u"4", u"Long"},
    {u"5", u"Currency"}, {u"6", u"Single"}, {u"7", u"Double"},  {u"8", u"Date"},
    {u"10", u"Text"},    {u"11", u"OLE"},   {u"12", u"Memo"},
};

const Row queryTypes[] = {
    {u"0", u"選択ｸｴﾘｰ"},          {u"16", u"ｸﾛｽ集計ｸｴﾘｰ"}, {u"32", u"削除ｸｴﾘｰ"},
    {u"48", u"更新ｸｴﾘｰ"},         {u"64", u"追加ｸｴﾘｰ"},    {u"80", u"作成ｸｴﾘｰ"},
    {u"96", u"定義ｸｴﾘｰ"},         {u"112", u"ﾊﾟｽｽﾙｰｸｴﾘｰ"}, {u"128", u"ﾕﾆｵﾝｸｴﾘｰ"},
    {u"144", u"ﾊﾟｽｽﾙｰ&更新ｸｴﾘｰ"}, {u"240", u"ｱｸｼｮﾝｸｴﾘｰ"},  {u"160", u"複合ｸｴﾘｰ"},
    {u"224", u"遂行ｸｴﾘｰ"},
};

} // namespace

QString ControlTypeName(QStringView code)
{
    return lookUp(controlTypes, code);
}
QString EventLabel(QStringView propertyName)
{
    return lookUp(eventLabels, propertyName);
}
QString LineStyleName(QStringView code)
{
    return lookUp(lineStyles, code);
}
QString IMEModeName(QStringView code)
{
    return lookUp(imeModes, code);
}
QString RowSourceTypeName(QStringView typeText)
{
    return lookUp(rowSourceTypes, typeText);
}
QString OLETypeName(QStringView code)
{
    return lookUp(oleTypes, code);
}
QString SizeModeName(QStringView code)
{
    return lookUp(sizeModes, code);
}
QString YesNoName(QStringView booleanText)
{
    return lookUp(yesNo, booleanText);
}
QString FieldTypeName(QStringView code)
{
    return lookUp(fieldTypes, code);
}
QString QueryTypeName(QStringView code)
{
    return lookUp(queryTypes, code, u"System");
}

double RoundOff(qint64 tenThousandths, qint16 places)
{
    const double value = double(tenThousandths) / 10000.0;
    const double p = std::pow(10.0, std::abs(int(places)));
    if (places > 0)
        return std::floor(value * p + 0.5) / p;
    return std::floor(value / p + 0.5) * p;
}
