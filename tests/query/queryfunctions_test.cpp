// The VBA functions and operators queries call, run through the engine so
// that types survive the trip through SQLite: strings (StrConv on Japanese
// text), dates and date literals, Like, Format, and Null as VBA treats it.

#include "host/query/queryengine.h"
#include "host/vb/errors.h"
#include "query/queryfixture.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

namespace {

Database withQuery(const QString &name, const QString &sql)
{
    auto fx = salesFixture();
    fx->add(FixtureQuery(name, 0, sql));
    return Database(fx);
}

QList<Value> single(const QString &sql)
{
    const Database db = withQuery("Q", sql);
    const QueryResult r = runQuery(db, "Q");
    return r.rows.value(0);
}

} // namespace

TEST(QueryFunctions, StringsAndStrConvOnJapaneseText)
{
    const Database db = withQuery(
        "Strings", "SELECT ID, StrConv(W, 4) AS Wide, StrConv([W], 8) AS Narrow, UCase(W) AS U, "
                   "Left(W, 2) AS L, Mid(W, 2, 2) AS M, Len(W) AS N, InStr(W, 'B') AS I, "
                   "Replace(W, 'a', 'x') AS R, W & '!' AS Cat, W + '!' AS Plus, W & Null AS Both, "
                   "Nz(W, 'none') AS NzW, IIf(IsNull(W), 'null', 'set') AS Which, "
                   "StrConv('hello wORLD', 3) AS Proper, StrConv('ｱｲｳ', 4 + 32) AS Hira, "
                   "Left$(W, 1) AS Dollar "
                   "FROM Words ORDER BY ID;");
    const QueryResult r = runQuery(db, "Strings");
    ASSERT_EQ(r.rows.size(), 3);
    const QList<Value> &half = r.rows[0]; // "ｶﾞｷﾞ abc"
    EXPECT_EQ(half[1], text("ガギ　ａｂｃ"));
    EXPECT_EQ(half[2], text("ｶﾞｷﾞ abc"));
    EXPECT_EQ(half[3], text("ｶﾞｷﾞ ABC"));
    EXPECT_EQ(half[4], text("ｶﾞ"));
    EXPECT_EQ(half[5], text("ﾞｷ"));
    EXPECT_EQ(half[6], lng(8));
    EXPECT_EQ(half[7], lng(7)); // text compare, as the database compares
    EXPECT_EQ(half[8], text("ｶﾞｷﾞ xbc"));
    EXPECT_EQ(half[9], text("ｶﾞｷﾞ abc!"));
    EXPECT_EQ(half[10], text("ｶﾞｷﾞ abc!"));
    EXPECT_EQ(half[11], text("ｶﾞｷﾞ abc"));
    EXPECT_EQ(half[14], text("Hello World"));
    EXPECT_EQ(half[15], text("あいう"));
    EXPECT_EQ(half[16], text("ｶ"));
    const QList<Value> &full = r.rows[1]; // "ＡＢＣ　ガパ"
    EXPECT_EQ(full[1], text("ＡＢＣ　ガパ"));
    EXPECT_EQ(full[2], text("ABC ｶﾞﾊﾟ"));
    EXPECT_EQ(full[6], lng(6));
    const QList<Value> &null = r.rows[2];
    for (int i : {1, 2, 3, 4, 5, 6, 7, 8, 10, 11})
        EXPECT_TRUE(null[i].isNull()) << i;
    EXPECT_EQ(null[9], text("!")); // Null & "!" is "!"; Null + "!" is Null
    EXPECT_EQ(null[12], text("none"));
    EXPECT_EQ(null[13], text("null"));
    EXPECT_EQ(half[13], text("set"));
}

TEST(QueryFunctions, DateLiteralsAndDateFunctions)
{
    const Database db = withQuery(
        "Dates",
        "SELECT OrderID, OrderDate, Year(OrderDate) AS Y, Month([OrderDate]) AS M, "
        "Format(OrderDate, 'yyyy/mm/dd') AS F, DateAdd('m', 1, OrderDate) AS Next, "
        "DateDiff('d', #1/1/95#, OrderDate) AS Days, DatePart('q', OrderDate) AS Q, "
        "OrderDate + 1 AS Tomorrow, Weekday(OrderDate) AS WD, "
        "Format(OrderDate, 'Long Date') AS LD, Hour(OrderDate) AS H "
        "FROM Orders WHERE OrderDate Between #1/1/95# And #3/31/1995# ORDER BY OrderDate;");
    const QueryResult r = runQuery(db, "Dates");
    ASSERT_EQ(r.rows.size(), 2);
    const QList<Value> &a = r.rows[0];
    EXPECT_EQ(a[0], lng(10));
    EXPECT_EQ(a[1], dateValue(1995, 1, 15));
    EXPECT_EQ(a[2], Value::integer(1995));
    EXPECT_EQ(a[3], Value::integer(1));
    EXPECT_EQ(a[4], text("1995/01/15"));
    EXPECT_EQ(a[5], dateValue(1995, 2, 15));
    EXPECT_EQ(a[6], lng(14));
    EXPECT_EQ(a[7], lng(1));
    EXPECT_EQ(a[8], dateValue(1995, 1, 16));
    EXPECT_EQ(a[9], Value::integer(1)); // a Sunday
    EXPECT_EQ(a[10], text("1995年1月15日"));
    const QList<Value> &b = r.rows[1]; // 1995-03-02 14:00
    EXPECT_EQ(b[5], dateValue(1995, 4, 2, 14 * 3600));
    EXPECT_EQ(b[11], Value::integer(14));

    EXPECT_EQ(single("SELECT DateSerial(1997, 13, 0) AS D, DateAdd('m', 1, #1/31/2000#) AS E, "
                     "DateDiff('yyyy', #12/31/1999#, #1/1/2000#) AS Y, "
                     "DateDiff('ww', #1/1/2000#, #1/31/2000#) AS W, CDate('1997/04/01') AS C, "
                     "#12/31/1997 10:30:00 PM# AS T FROM Customers WHERE ID = 1;"),
              QList<Value>({dateValue(1997, 12, 31), dateValue(2000, 2, 29), lng(1), lng(5),
                            dateValue(1997, 4, 1), dateValue(1997, 12, 31, 22 * 3600 + 1800)}));
}

TEST(QueryFunctions, TextComparedWithDatesAndNumbersIsConverted)
{
    const Database db =
        withQuery("Late", "SELECT OrderID FROM Orders WHERE OrderDate > '1995/12/01' "
                          "OR Amount Between '250' And '1000' OR Qty In ('3') "
                          "ORDER BY OrderID;");
    EXPECT_EQ(runQuery(db, "Late").column(0), QList<Value>({lng(10), lng(12), lng(13), lng(16)}));
}

TEST(QueryFunctions, LikeWildcards)
{
    struct Case
    {
        const char *pattern;
        QList<Value> ids;
    } cases[] = {
        {"a*", {lng(1), lng(5)}},
        {"[!a-c]*", {lng(4)}},
        {"Ch?p-*", {lng(3)}},
        {"*[ -]*", {lng(3), lng(4)}},
        {"b*s", {lng(2)}},
        {"*#*", {}},
        {"[*]*", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pattern);
        const Database db = withQuery(
            "Like", QStringLiteral("SELECT ID FROM Customers WHERE Name Like \"%1\" ORDER BY ID;")
                        .arg(QLatin1String(c.pattern)));
        EXPECT_EQ(runQuery(db, "Like").column(0), c.ids);
    }
    const Database notLike =
        withQuery("Not like", "SELECT ID FROM Customers WHERE Name Not Like '*u*' ORDER BY ID;");
    EXPECT_EQ(runQuery(notLike, "Not like").column(0), QList<Value>({lng(1), lng(5)}));
}

TEST(QueryFunctions, FormatsConversionsAndArithmetic)
{
    EXPECT_EQ(single("SELECT Format(1234.5, 'Currency') AS A, Format(1234.5, 'Fixed') AS B, "
                     "Format(1234.5, 'Standard') AS C, Format(0.125, 'Percent') AS D, "
                     "Format(1234.5, 'General Number') AS E, Format(-5, '#,##0;(#,##0)') AS F, "
                     "Format(#1/2/1995#, 'Short Date') AS G, Format(3.14159, '0.00') AS H, "
                     "Format(#3/4/1995 13:05:09#, 'yy-m-d hh:nn:ss') AS I, "
                     "Format(#3/4/1995 13:05:09#, 'h:nn AM/PM') AS J FROM Customers WHERE ID=1;"),
              QList<Value>({text("¥1,235"), text("1234.50"), text("1,234.50"), text("12.50%"),
                            text("1234.5"), text("(5)"), text("1995/01/02"), text("3.14"),
                            text("95-3-4 13:05:09"), text("1:05 PM")}));
    EXPECT_EQ(single("SELECT Format(1234567.891, '#,##0.00') AS A, Format(0.5, '0%') AS B, "
                     "Format(1234, '0.00E+00') AS C, Format(5, '000') AS D, "
                     "Format(#1/2/1995#, 'dddd, mmm d yyyy') AS E, Format(#1/2/1995#, 'aaa') AS F, "
                     "Format(12.5, '#,##0\"円\"') AS G, Format(0, '0;(0);\"zero\"') AS H, "
                     "Format(Null, '0') AS I FROM Customers WHERE ID = 1;"),
              QList<Value>({text("1,234,567.89"), text("50%"), text("1.23E+03"), text("005"),
                            text("Monday, Jan 2 1995"), text("月"), text("13円"), text("zero"),
                            text("")}));
    EXPECT_EQ(single("SELECT 7 \\ 2 AS A, 7 Mod 3 AS B, 2 ^ 10 AS C, 7 / 2 AS D, CLng(2.5) AS E, "
                     "CInt('3') AS F, CCur(1.23456) AS G, Val('12abc') AS H, CStr(True) AS I, "
                     "-Amount AS J, 1 = 1 AS K, Choose(2, 'a', 'b') AS L, "
                     "Switch(OrderID = 2, 'two', OrderID = 10, 'ten') AS M, Nz(Null, 5) AS N, "
                     "'3' + 2 AS O, '3' - '1' AS P, Null + 1 AS R, '1' + '2' AS S "
                     "FROM Orders WHERE OrderID = 10;"),
              QList<Value>({lng(3), lng(1), Value::dbl(1024), Value::dbl(3.5), lng(2),
                            Value::integer(3), Value::currency(12346), Value::dbl(12), text("True"),
                            currency(-100.5), Value::boolean(true), text("b"), text("ten"), lng(5),
                            Value::dbl(5), Value::dbl(2), Value::null(), text("12")}));
    // Errors of a row end the query with VBA's number.
    EXPECT_EQ(errorOf([] { single("SELECT CLng(City) FROM Customers WHERE ID = 1;"); }),
              int(Err::TypeMismatch));
    EXPECT_EQ(errorOf([] { single("SELECT CLng(City) FROM Customers WHERE ID = 4;"); }),
              int(Err::InvalidUseOfNull));
    EXPECT_EQ(errorOf([] { single("SELECT 1 / 0 FROM Customers;"); }), int(Err::DivisionByZero));
}
