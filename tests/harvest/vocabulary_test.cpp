// The look-ups match whole texts exactly and in table order; RoundOff rounds
// half up in double precision.

#include "harvest/vocabulary.h"

#include <gtest/gtest.h>

TEST(Vocabulary, LookUpsMatchWholeTextsExactly)
{
    EXPECT_EQ(ControlTypeName(u"109"), "TextBox");
    EXPECT_EQ(ControlTypeName(u"124"), "Page");
    EXPECT_EQ(ControlTypeName(u"123"), "TabCtl");
    for (const char16_t *miss : {u"113", u"115", u"120", u"121", u"", u"0109", u" 109", u"109.0"})
        EXPECT_EQ(ControlTypeName(miss), "?") << QString::fromUtf16(miss).toStdString();

    EXPECT_EQ(EventLabel(u"OnClick"), "ｸﾘｯｸ時");
    EXPECT_EQ(EventLabel(u"onclick"), "?");
    EXPECT_EQ(EventLabel(u"OnMouseDown"), "ﾏｳｽｸﾘｯｸ時");
    EXPECT_EQ(EventLabel(u"OnKeyDown"), "ｷｰｸﾘｯｸ時");
    EXPECT_EQ(EventLabel(u"OnRetreat"), "戻り時");

    EXPECT_EQ(LineStyleName(u"2"), QString::fromUtf16(u"破線\uFF11"));
    EXPECT_EQ(LineStyleName(u"5"), QString::fromUtf16(u"点線\uFF12"));
    EXPECT_EQ(LineStyleName(u"8"), "?");
    EXPECT_EQ(IMEModeName(u"6"), "半角ｶﾀｶﾅ");
    EXPECT_EQ(IMEModeName(u"9"), "?");
    EXPECT_EQ(RowSourceTypeName(u"Value List"), "値ﾘｽﾄ");
    EXPECT_EQ(RowSourceTypeName(u"value list"), "?");
    EXPECT_EQ(RowSourceTypeName(u""), "?");
    EXPECT_EQ(OLETypeName(u"1"), "埋め込み");
    EXPECT_EQ(OLETypeName(u"2"), "?");
    EXPECT_EQ(SizeModeName(u"3"), "ｽﾞｰﾑ");
    EXPECT_EQ(SizeModeName(u"2"), "?");
    EXPECT_EQ(YesNoName(u"True"), "はい");
    EXPECT_EQ(YesNoName(u"False"), "いいえ");
    EXPECT_EQ(YesNoName(u"-1"), "?");
    EXPECT_EQ(YesNoName(u""), "?");
    EXPECT_EQ(FieldTypeName(u"12"), "Memo");
    EXPECT_EQ(FieldTypeName(u"9"), "?");
    EXPECT_EQ(FieldTypeName(u"15"), "?");

    EXPECT_EQ(QueryTypeName(u"0"), "選択ｸｴﾘｰ");
    EXPECT_EQ(QueryTypeName(u"144"), "ﾊﾟｽｽﾙｰ&更新ｸｴﾘｰ");
    EXPECT_EQ(QueryTypeName(u"224"), "遂行ｸｴﾘｰ");
    EXPECT_EQ(QueryTypeName(u"8"), "System");
    EXPECT_EQ(QueryTypeName(u"-32768"), "System");
}

TEST(Vocabulary, RoundOffRoundsHalfUp)
{
    EXPECT_DOUBLE_EQ(RoundOff(12345, 3), 1.235);
    EXPECT_DOUBLE_EQ(RoundOff(-12345, 3), -1.234);
    EXPECT_DOUBLE_EQ(RoundOff(5, 3), 0.001);
    EXPECT_DOUBLE_EQ(RoundOff(12340000, -2), 1200);
    EXPECT_DOUBLE_EQ(RoundOff(12500000, -2), 1300);
    EXPECT_DOUBLE_EQ(RoundOff(25000, 0), 3);
    EXPECT_DOUBLE_EQ(RoundOff(-25000, 0), -2);
    EXPECT_DOUBLE_EQ(RoundOff(-15000, 0), -1);
    // 15 twips = 0.026455... cm: four decimals first (0.0265), then three.
    EXPECT_DOUBLE_EQ(RoundOff(265, 3), 0.027);
}
