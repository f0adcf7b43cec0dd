// VB runtime semantics that bite: Unicode cuts, CStr of each type, rounding
// of halves, overflow of 16-bit counters, Format's decimal rounding.

#include "host/vb/errors.h"
#include "host/vb/vb.h"

#include "support/testsupport.h"

#include <gtest/gtest.h>

using namespace vb;

TEST(Vb, CStrOfEveryType)
{
    EXPECT_EQ(CStr(Value()), "");
    EXPECT_EQ(CStr(Value::boolean(true)), "True");
    EXPECT_EQ(CStr(Value::boolean(false)), "False");
    EXPECT_EQ(CStr(Value::integer(-32768)), "-32768");
    EXPECT_EQ(CStr(Value::longInt(2147483647)), "2147483647");
    EXPECT_EQ(CStr(Value::dbl(0.1 + 0.2)), "0.3");
    EXPECT_EQ(CStr(Value::dbl(919.9999999999999)), "920");
    EXPECT_EQ(CStr(Value::dbl(123456789012345.0)), "123456789012345");
    EXPECT_EQ(CStr(Value::dbl(1e15)), "1E+15");
    EXPECT_EQ(CStr(Value::dbl(0.0001)), "0.0001");
    EXPECT_EQ(CStr(Value::dbl(0.000015)), "1.5E-05");
    EXPECT_EQ(CStr(Value::dbl(-0.0)), "0");
    EXPECT_EQ(CStr(Value::dbl(-2.5)), "-2.5");
    EXPECT_EQ(CStr(Value::single(0.1f)), "0.1");
    EXPECT_EQ(CStr(Value::currency(15000)), "1.5");
    EXPECT_EQ(CStr(Value::currency(-12345678)), "-1234.5678");
    EXPECT_EQ(CStr(Value::currency(1000000)), "100");
    EXPECT_EQ(CStr(Value::currency(std::numeric_limits<qint64>::min())), "-922337203685477.5808");
    // Dates: date only at midnight, time only on day 0, both otherwise.
    EXPECT_EQ(CStr(Value::date(45383.0)), "2024/04/01");
    EXPECT_EQ(CStr(Value::date(45383.5)), "2024/04/01 12:00:00");
    EXPECT_EQ(CStr(Value::date(0.25)), "6:00:00");
    EXPECT_EQ(CStr(Value::date(0)), "0:00:00");
    EXPECT_EQ(CStr(Value::date(-1.25)), "1899/12/29 6:00:00");
    EXPECT_EQ(CStr(Value(QStringLiteral("ｱｲｳ　x"))), "ｱｲｳ　x");
    EXPECT_EQ(errorOf([] { CStr(Value::null()); }), 94);
    EXPECT_EQ(textOrEmpty(Value::null()), "");
}

TEST(Vb, StringFunctionsCountUtf16Units)
{
    const QString s = QStringLiteral("日本語ﾃｷｽﾄ𠀋end"); // 𠀋 is a surrogate pair
    EXPECT_EQ(Left(s, 3), "日本語");
    EXPECT_EQ(Left(s, 0), "");
    EXPECT_EQ(Left(s, 100), s);
    EXPECT_EQ(Left(s, 8).size(), 8); // cuts inside the pair, as VB does
    EXPECT_EQ(Mid(s, 4, 4), "ﾃｷｽﾄ");
    EXPECT_EQ(Mid(s, 10), "end");
    EXPECT_EQ(Mid(s, 99), "");
    EXPECT_EQ(Right(s, 3), "end");
    EXPECT_EQ(errorOf([&] { Left(s, -1); }), 5);
    EXPECT_EQ(errorOf([&] { Mid(s, 0); }), 5);
    EXPECT_EQ(errorOf([&] { Mid(s, 1, -1); }), 5);

    EXPECT_EQ(InStr(u"Private Sub", u"Sub"), 9);
    EXPECT_EQ(InStr(u"abcabc", u"c"), 3);
    EXPECT_EQ(InStr(4, u"abcabc", u"c"), 6);
    EXPECT_EQ(InStr(u"abc", u""), 1);
    EXPECT_EQ(InStr(5, u"abc", u""), 0);
    EXPECT_EQ(InStr(u"", u"a"), 0);
    EXPECT_EQ(InStr(u"ABC", u"b"), 0);
    EXPECT_EQ(InStr(u"ABC", u"b", Compare::Text), 2);
    EXPECT_EQ(errorOf([] { InStr(0, u"abc", u"a"); }), 5);

    EXPECT_EQ(LTrim(u"  \tx "), "\tx ");
    EXPECT_EQ(RTrim(u" x　 "), " x　");
    EXPECT_EQ(Trim(u"   "), "");
    EXPECT_EQ(UCase(u"dim ａｂｃ é ß"), "DIM ＡＢＣ É ß");
}

TEST(Vb, RoundingHalvesToEvenAndOverflow)
{
    EXPECT_EQ(CInt(Value::dbl(0.5)), 0);
    EXPECT_EQ(CInt(Value::dbl(1.5)), 2);
    EXPECT_EQ(CInt(Value::dbl(2.5)), 2);
    EXPECT_EQ(CInt(Value::dbl(-2.5)), -2);
    EXPECT_EQ(CInt(Value::dbl(-3.5)), -4);
    EXPECT_EQ(CLng(Value::dbl(2147483647.4)), 2147483647);
    EXPECT_EQ(CLng(Value::currency(25000)), 2);
    EXPECT_EQ(CLng(Value::currency(35000)), 4);
    EXPECT_EQ(CLng(Value::currency(-25000)), -2);
    EXPECT_EQ(CLng(Value::currency(-35001)), -4);
    EXPECT_EQ(CLng(Value::boolean(true)), -1);
    EXPECT_EQ(CLng(Value(QStringLiteral(" 12.5 "))), 12);
    EXPECT_EQ(CCur(Value::dbl(0.00025)), 2); // the fifth decimal's half goes to even
    EXPECT_EQ(CCur(Value::dbl(0.00035)), 4);
    EXPECT_EQ(CCur(Value::dbl(-1.23456)), -12346);
    EXPECT_EQ(errorOf([] { CInt(Value::longInt(32768)); }), 6);
    EXPECT_EQ(errorOf([] { CLng(Value::dbl(2147483647.5)); }), 6);
    EXPECT_EQ(errorOf([] { CLng(Value(QStringLiteral("abc"))); }), 13);
    EXPECT_EQ(errorOf([] { CLng(Value::null()); }), 94);

    qint16 counter = 32766;
    increment(counter);
    EXPECT_EQ(counter, 32767);
    EXPECT_EQ(errorOf([&] { increment(counter); }), 6);
    EXPECT_EQ(counter, 32767);
}

TEST(Vb, FormatRoundsHalfAwayOnTheDecimalText)
{
    EXPECT_EQ(Format(Value::dbl(2.675), u"#0.00"), "2.68"); // 2.67499999... as binary
    EXPECT_EQ(Format(Value::dbl(22.225), u"#0.00"), "22.23");
    EXPECT_EQ(Format(Value::dbl(0.5), u"#0.00"), "0.50");
    EXPECT_EQ(Format(Value::dbl(1234.5), u"#0.00"), "1234.50");
    EXPECT_EQ(Format(Value::dbl(9.999), u"#0.00"), "10.00");
    EXPECT_EQ(Format(Value::dbl(-1.005), u"#0.00"), "-1.01");
    EXPECT_EQ(Format(Value::dbl(-0.001), u"#0.00"), "-0.00");
    EXPECT_EQ(Format(Value::dbl(0), u"#0.00"), "0.00");
    EXPECT_EQ(Format(Value::dbl(0.25), u"#.00"), ".25");
    EXPECT_EQ(Format(Value::dbl(2.5), u"0"), "3");
    EXPECT_EQ(Format(Value::currency(12345), u"#0.00"), "1.23");
    EXPECT_EQ(Format(Value::null(), u"#0.00"), "");
    EXPECT_EQ(errorOf([] { Format(Value::dbl(1), u"#,##0"); }), 5);
}

TEST(Value, TypesAndMismatches)
{
    EXPECT_TRUE(Value().isEmpty());
    EXPECT_TRUE(Value::null().isNull());
    EXPECT_EQ(Value::currency(5).type(), Value::Type::Currency);
    EXPECT_EQ(Value::date(1.5).asOleDate(), 1.5);
    EXPECT_EQ(Value::boolean(true).toDouble(), -1);
    EXPECT_EQ(errorOf([] { Value(QStringLiteral("x")).asLong(); }), 13);
    EXPECT_EQ(errorOf([] { Value::null().toDouble(); }), 94);
    EXPECT_FALSE(Value::integer(1) == Value::longInt(1));
    const QByteArray bytes("A\0B\0", 4);
    EXPECT_EQ(CStr(Value::binary(bytes)), "AB");
}
