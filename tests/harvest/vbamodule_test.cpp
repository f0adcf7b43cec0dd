// The Module model over source text: line numbering without attribute lines,
// the declaration section, procedure bounds and ownership, errors.

#include "host/vb/errors.h"
#include "modules/vbamodule.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

namespace {

// "name/kind start body count" per procedure, then D and N.
QString shape(const VbaModule &m)
{
    QStringList parts;
    for (const VbaModule::Procedure &p : m.procedures())
        parts << QStringLiteral("%1/%2 %3 %4 %5")
                     .arg(p.name)
                     .arg(p.kind)
                     .arg(m.ProcStartLine(p.name, p.kind))
                     .arg(m.ProcBodyLine(p.name, p.kind))
                     .arg(m.ProcCountLines(p.name, p.kind));
    parts << QStringLiteral("D%1 N%2").arg(m.CountOfDeclarationLines()).arg(m.CountOfLines());
    return parts.join(QStringLiteral("; "));
}

// Which procedure owns each line: "-" for declarations, else name/kind.
QString owners(const VbaModule &m)
{
    QStringList parts;
    for (qint32 l = 1; l <= m.CountOfLines(); ++l) {
        qint32 kind = -1;
        const QString name = m.ProcOfLine(l, kind);
        parts << (name.isEmpty() ? QStringLiteral("-%1").arg(kind)
                                 : QStringLiteral("%1/%2").arg(name).arg(kind));
    }
    return parts.join(u' ');
}

struct ModelCase
{
    const char *name;
    const char *source;
    const char *shape;
};

const ModelCase modelCases[] = {
    {"worked example of the notes",
     "Option Compare Database\r\nOption Explicit\r\nPrivate m As Long\r\n\r\n' Adds one.\r\n"
     "Public Function Inc(ByVal x As Long) _\r\n                   As Long\r\n    Inc = x + 1\r\n"
     "End Function\r\n\r\nProperty Get Value() As Long\r\n    Value = m\r\nEnd Property\r\n"
     "Property Let Value(v As Long)\r\n    m = v\r\nEnd Property\r\n",
     "Inc/0 4 6 6; Value/3 10 11 4; Value/1 14 14 3; D3 N16"},
    {"empty module", "", "D0 N0"},
    {"attribute lines only", "Attribute VB_Name = \"Form_X\"\r\nAttribute VB_Exposed = False\r\n",
     "D0 N0"},
    {"declarations only (R4)", "Option Explicit\r\nDim a As Long\r\n\r\n", "D3 N3"},
    {"no declarations: first line is a Sub", "Sub A()\r\nEnd Sub", "A/0 1 1 2; D0 N2"},
    {"hidden attributes, procedure attribute too",
     "Attribute VB_Name = \"Class1\"\r\nAttribute VB_Creatable = False\r\nOption Explicit\r\n"
     "Public Property Get Item() As Long\r\nAttribute Item.VB_UserMemId = 0\r\nEnd Property\r\n",
     "Item/3 2 2 2; D1 N3"},
    {"comment run with blank lines above the first procedure (R3)",
     "Dim x\r\n' about x\r\n\r\n' about A\r\nSub A()\r\nEnd Sub\r\n", "A/0 2 5 5; D1 N6"},
    {"Rem and #Const above a procedure",
     "Dim x\r\n#Const Debugging = 1\r\nRem A\r\nSub A()\r\nEnd Sub", "A/0 2 4 4; D1 N5"},
    {"#End If closing declarations stays in them",
     "#If VBA7 Then\r\nDeclare PtrSafe Function F Lib \"k\" () As Long\r\n#Else\r\n"
     "Declare Function F Lib \"k\" () As Long\r\n#End If\r\n\r\nSub A()\r\nEnd Sub\r\n",
     "A/0 6 7 3; D5 N8"},
    {"#If wrapping the procedure belongs to it (R3, R7)",
     "Option Explicit\r\n#If VBA7 Then\r\nSub A()\r\nEnd Sub\r\n#Else\r\nSub A()\r\nEnd Sub\r\n"
     "#End If\r\n",
     // Both definitions are found; asked by name, each answers with the first.
     "A/0 2 3 3; A/0 2 3 3; D1 N8"},
    {"trailing lines go to the last procedure (R5)", "Sub A()\r\nEnd Sub\r\n\r\n' tail\r\n",
     "A/0 1 1 4; D0 N4"},
    {"between procedures: lines belong to the following one",
     "Sub A()\r\nEnd Sub\r\n\r\n' B does it\r\nPrivate Static Sub B()\r\nEnd Sub",
     "A/0 1 1 2; B/0 3 5 4; D0 N6"},
    {"Friend, Static, Public Static, Set kind",
     "Friend Function F()\r\nEnd Function\r\nPublic Static Sub S()\r\nEnd Sub\r\n"
     "Property Set Obj(o As Object)\r\nEnd Property",
     "F/0 1 1 2; S/0 3 3 2; Obj/2 5 5 2; D0 N6"},
    {"one-line procedures and End Sub after a colon",
     "Sub A(): End Sub\r\nSub B()\r\nx = 1: End Sub\r\n", "A/0 1 1 1; B/0 2 2 2; D0 N3"},
    {"End Sub in a comment or string does not end",
     "Sub A()\r\n' End Sub\r\nMsgBox \"End Sub\"\r\nRem End Sub\r\nEnd Sub\r\nSub B()\r\nEnd Sub",
     "A/0 1 1 5; B/0 6 6 2; D0 N7"},
    {"continued header and a continued comment (R8)",
     "' note _\r\nSub Not_A_Sub()\r\nSub A(x, _\r\n  y)\r\nEnd Sub", "A/0 1 3 5; D0 N5"},
    {"Declare and Sub words in declarations are not procedures",
     "Private Declare Sub Sleep Lib \"kernel32\" (ByVal ms As Long)\r\nDim SubTotal\r\n"
     "Public Sub_x As Long\r\nSub A()\r\nEnd Sub",
     "A/0 4 4 2; D3 N5"},
    {"unterminated procedure before another (R9) and at the end",
     "Sub A()\r\nx = 1\r\nSub B()\r\ny = 2\r\n", "A/0 1 1 2; B/0 3 3 2; D0 N4"},
    {"LF, CR and final line without terminator (R1)", "Dim a\nSub A()\rEnd Sub",
     "A/0 2 2 2; D1 N3"},
    {"line numbers before End Sub", "Sub A()\r\n10 x = 1\r\n20 End Sub\r\n", "A/0 1 1 3; D0 N3"},
};

} // namespace

TEST(VbaModule, LineModelCases)
{
    for (const ModelCase &c : modelCases) {
        SCOPED_TRACE(c.name);
        const VbaModule m(QString::fromUtf8(c.source));
        EXPECT_EQ(shape(m), QString::fromUtf8(c.shape));
    }
}

TEST(VbaModule, ProcOfLineOwnership)
{
    const VbaModule m(QString::fromUtf8(modelCases[0].source), ModuleType::Class);
    EXPECT_EQ(m.Type(), ModuleType::Class);
    // Lines 1-3 declarations, 4-9 Inc, 10-13 Value/Get, 14-16 Value/Let (R6).
    EXPECT_EQ(owners(m), QStringLiteral("-0 -0 -0 Inc/0 Inc/0 Inc/0 Inc/0 Inc/0 Inc/0 Value/3 "
                                        "Value/3 Value/3 Value/3 Value/1 Value/1 Value/1"));
    // Names compare without case (R7).
    EXPECT_EQ(m.ProcBodyLine(QStringLiteral("inc"), ProcKind::Proc), 6);

    // Two definitions under #If: the second owns its own lines.
    const VbaModule twice(QString::fromUtf8(modelCases[9].source));
    ASSERT_EQ(twice.procedures().size(), 2);
    EXPECT_EQ(twice.procedures()[1].start, 5);
    EXPECT_EQ(twice.procedures()[1].body, 6);
    EXPECT_EQ(twice.procedures()[1].end, 8);
    qint32 kind = -1;
    EXPECT_EQ(twice.ProcOfLine(8, kind), QStringLiteral("A"));
}

TEST(VbaModule, LinesAndErrors)
{
    const VbaModule m(QStringLiteral("Attribute VB_Name = \"M\"\r\nA  \r\n\r\nC\r\n"));
    EXPECT_EQ(m.CountOfLines(), 3);
    EXPECT_EQ(m.Lines(1, 1), QStringLiteral("A  "));
    EXPECT_EQ(m.Lines(2, 1), QString());
    EXPECT_EQ(m.Lines(1, 3), QStringLiteral("A  \r\n\r\nC"));
    EXPECT_EQ(m.Lines(2, 99), QStringLiteral("\r\nC")); // R2: clamped
    EXPECT_EQ(m.Lines(9, 0), QString());

    const auto raises = [](const std::function<void()> &f) {
        try {
            f();
        } catch (const HostError &e) {
            return e.code();
        }
        return 0;
    };
    qint32 kind = 0;
    EXPECT_EQ(raises([&] { m.Lines(0, 1); }), 5);
    EXPECT_EQ(raises([&] { m.Lines(4, 1); }), 5);
    EXPECT_EQ(raises([&] { m.ProcOfLine(4, kind); }), 5);
    EXPECT_EQ(raises([&] { m.ProcStartLine(QStringLiteral("A"), 0); }), 5);

    const VbaModule get(QStringLiteral("Property Get P()\r\nEnd Property\r\n"));
    EXPECT_EQ(raises([&] { get.ProcBodyLine(QStringLiteral("P"), ProcKind::Let); }), 5);
    EXPECT_EQ(get.ProcBodyLine(QStringLiteral("P"), ProcKind::Get), 1);
}

TEST(VbaModule, AttributeLinesAndSplitting)
{
    EXPECT_TRUE(isAttributeLine(QStringLiteral("Attribute VB_Name = \"Module1\"")));
    EXPECT_TRUE(isAttributeLine(QStringLiteral("Attribute Item.VB_UserMemId = 0")));
    EXPECT_FALSE(isAttributeLine(QStringLiteral("    Attribute VB_Name = 1"))); // code, indented
    EXPECT_FALSE(isAttributeLine(QStringLiteral("AttributeX = 1")));
    EXPECT_EQ(splitPhysicalLines(QStringLiteral("a\r\n\r\nb\r\n")), (QStringList{"a", "", "b"}));
    EXPECT_EQ(splitPhysicalLines(QString::fromUtf16(u"a\u2028b\u2029")), (QStringList{"a", "b"}));
}
