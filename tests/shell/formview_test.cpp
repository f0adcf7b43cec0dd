// The form renderer over forms built in code (each kind of control, pixel
// by pixel where it matters), over the sample's form designs, and the
// target window showing a form in its normal and design views.

#include "app/wiring.h"
#include "host/objects/application.h"
#include "host/query/queryengine.h"
#include "host/vb/errors.h"
#include "host/vb/vb.h"
#include "host/views/accesswindow.h"
#include "host/views/formview.h"
#include "host/views/render/accesscolor.h"
#include "host/views/render/designfont.h"
#include "host/views/render/formrenderer.h"
#include "support/samplefile.h"
#include "support/testsupport.h"

#include <QBuffer>
#include <QDir>
#include <QPainter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <iostream>

namespace {

// Forms and records given by the test; a source named "broken" cannot be read.
class FakeData : public FormData
{
public:
    QHash<QString, QList<FormRecord>> sources;
    QHash<QString, Form> designs;
    int reads = 0;

    QList<FormRecord> records(const QString &source, int first, int count,
                              const RecordFilter &filter) override
    {
        ++reads;
        if (source == QLatin1String("broken"))
            throw HostError(Err::QueryNotRunnable, QStringLiteral("cannot run"));
        QList<FormRecord> out;
        for (const FormRecord &r : sources.value(source)) {
            if (filter.active() &&
                r.value(filter.field.toCaseFolded()).toDouble() != filter.value.toDouble())
                continue;
            if (first-- > 0)
                continue;
            if (out.size() < count)
                out << r;
        }
        return out;
    }
    QList<QStringList> rows(const QString &, int) override { return {{"1", "One"}, {"2", "Two"}}; }
    const Form &design(const QString &name) override
    {
        if (!designs.contains(name))
            throw HostError(Err::NoSuchForm, QStringLiteral("no form ") + name);
        return designs[name];
    }
};

struct FormBuilder
{
    Form form;
    explicit FormBuilder(int width = 6000)
    {
        form.name = QStringLiteral("Test");
        form.properties.append(QStringLiteral("Width"), Value::longInt(width));
    }
    FormBuilder &property(const QString &name, const Value &value)
    {
        form.properties.append(name, value);
        return *this;
    }
    FormBuilder &section(const QString &kind, int height, qint32 backColor = 0xffffff)
    {
        Section s;
        s.kind = kind;
        s.properties.append(QStringLiteral("Height"), Value::longInt(height));
        s.properties.append(QStringLiteral("BackColor"), Value::longInt(backColor));
        form.sections << s;
        return *this;
    }
    // A control in the last section; returns its index.
    int control(int type, const QString &name, QRect twips, QList<Property> extra = {},
                int parent = -1)
    {
        Control c;
        c.section = int(form.sections.size()) - 1;
        c.parent = parent;
        c.properties.append(QStringLiteral("Name"), Value(name));
        c.properties.append(QStringLiteral("ControlType"), Value::integer(qint16(type)));
        c.properties.append(QStringLiteral("Left"), Value::longInt(twips.left()));
        c.properties.append(QStringLiteral("Top"), Value::longInt(twips.top()));
        c.properties.append(QStringLiteral("Width"), Value::longInt(twips.width()));
        c.properties.append(QStringLiteral("Height"), Value::longInt(twips.height()));
        for (const Property &p : extra)
            c.properties.append(p.name, p.value);
        form.controls << c;
        return int(form.controls.size()) - 1;
    }
};

Property prop(const char *name, const Value &value)
{
    return {QString::fromLatin1(name), value};
}
Property text(const char *name, const QString &value)
{
    return {QString::fromLatin1(name), Value(value)};
}

// Pixels darker than mid-grey inside a rectangle.
int inkIn(const QImage &image, const QRect &rect)
{
    int ink = 0;
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(image.pixel(x, y)) < 100)
                ++ink;
    return ink;
}

// The smallest rectangle holding every dark pixel of an area.
QRect inkBounds(const QImage &image, const QRect &area)
{
    QRect bounds;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(image.pixel(x, y)) < 100)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

// A 2 x 2 bitmap as Access embeds it: the DIB without its file header,
// red and white over blue and green.
QByteArray dibOfFourColours()
{
    QImage image(2, 2, QImage::Format_RGB888);
    image.setPixelColor(0, 0, Qt::red);
    image.setPixelColor(1, 0, Qt::white);
    image.setPixelColor(0, 1, Qt::blue);
    image.setPixelColor(1, 1, Qt::green);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return buffer.data().mid(14);
}

// The Jet reader, the sample's design exports and the query engine.
void wireSample(MainState &state)
{
    wireJetHost(state, JetOptions());
    DesignOptions designs;
    designs.folder = [] { return QStringLiteral(QUILLMARK_SOURCE_DIR "/samples/hanbai/designs"); };
    wireDesigns(state, designs);
    state.exportServices.runQuery = runSavedQuery;
    state.exportServices.runSql = runSqlText;
}

// The sample written afresh into dir and opened as the target of state,
// wired as above (set state.targetView first to see it in a window).
Application &openSample(MainState &state, const QTemporaryDir &dir)
{
    const QString sample = writeSample(dir);
    EXPECT_FALSE(sample.isEmpty());
    wireSample(state);
    Application &target = state.newTargetInstance();
    target.OpenCurrentDatabase(sample);
    return target;
}

int px(int twips)
{
    return qRound(twips * 96 / 1440.0);
}

} // namespace

TEST(FormRenderer, DrawsEachControlWhereTheDesignPutsIt)
{
    FormBuilder b;
    b.property(QStringLiteral("RecordSource"), Value(QStringLiteral("People")));
    b.section(QStringLiteral("FormHeader"), 600, 0x80ffff); // light yellow
    b.control(ControlTypeCode::Label, QStringLiteral("Title"), QRect(100, 100, 3000, 400),
              {text("Caption", QStringLiteral("&Members")), prop("FontSize", Value::integer(14)),
               prop("ForeColor", Value::longInt(0))});
    b.section(QStringLiteral("PageHeader"), 300); // print only: not in the form view
    b.section(QStringLiteral("Section"), 4000, 0xc0c0c0);
    b.control(ControlTypeCode::TextBox, QStringLiteral("NameBox"), QRect(1500, 100, 2500, 300),
              {text("ControlSource", QStringLiteral("[People].[Name]")),
               prop("BackColor", Value::longInt(0xffffff)), prop("FontSize", Value::integer(10))});
    b.control(ControlTypeCode::CheckBox, QStringLiteral("Member"), QRect(1500, 600, 300, 300),
              {text("ControlSource", QStringLiteral("Member"))});
    b.control(ControlTypeCode::Rectangle, QStringLiteral("Red"), QRect(4200, 100, 600, 600),
              {prop("BackStyle", Value::integer(1)), prop("BackColor", Value::longInt(0x0000ff))});
    const int group =
        b.control(ControlTypeCode::OptionGroup, QStringLiteral("Kind"), QRect(100, 1000, 2000, 900),
                  {text("ControlSource", QStringLiteral("Kind"))});
    b.control(ControlTypeCode::OptionButton, QStringLiteral("KindA"), QRect(200, 1100, 300, 300),
              {prop("OptionValue", Value::integer(1))}, group);
    b.control(ControlTypeCode::OptionButton, QStringLiteral("KindB"), QRect(200, 1500, 300, 300),
              {prop("OptionValue", Value::integer(2))}, group);
    const int tab = b.control(ControlTypeCode::TabCtl, QStringLiteral("Tabs"),
                              QRect(2500, 1000, 3000, 2000), {});
    const int first =
        b.control(ControlTypeCode::Page, QStringLiteral("First"), QRect(2550, 1400, 2900, 1550),
                  {text("Caption", QStringLiteral("One"))}, tab);
    const int second =
        b.control(ControlTypeCode::Page, QStringLiteral("Second"), QRect(2550, 1400, 2900, 1550),
                  {text("Caption", QStringLiteral("Two"))}, tab);
    b.control(ControlTypeCode::Rectangle, QStringLiteral("OnFirst"), QRect(2700, 1600, 500, 500),
              {prop("BackStyle", Value::integer(1)), prop("BackColor", Value::longInt(0x00ff00))},
              first);
    b.control(ControlTypeCode::Rectangle, QStringLiteral("OnSecond"), QRect(3500, 1600, 500, 500),
              {prop("BackStyle", Value::integer(1)), prop("BackColor", Value::longInt(0xff0000))},
              second);
    b.control(ControlTypeCode::Image, QStringLiteral("Logo"), QRect(100, 2200, 600, 600),
              {prop("PictureData", Value::binary(dibOfFourColours())),
               prop("SizeMode", Value::integer(1))});
    b.control(ControlTypeCode::Line, QStringLiteral("Rule"), QRect(100, 3200, 3000, 0),
              {prop("BorderColor", Value::longInt(0))});
    b.control(ControlTypeCode::Label, QStringLiteral("Hidden"), QRect(100, 3400, 2000, 300),
              {text("Caption", QStringLiteral("WWWWWW")), prop("Visible", Value::boolean(false))});
    b.section(QStringLiteral("FormFooter"), 0);

    FakeData data;
    data.sources.insert(QStringLiteral("People"), {{{"name", Value(QStringLiteral("Ada"))},
                                                    {"member", Value::boolean(true)},
                                                    {"kind", Value::integer(2)}},
                                                   {{"name", Value(QStringLiteral("Bob"))},
                                                    {"member", Value::boolean(false)},
                                                    {"kind", Value::integer(1)}}});

    FormRenderer renderer(b.form, data, FormViewMode::Normal);
    EXPECT_TRUE(renderer.problems().isEmpty()) << qPrintable(renderer.problems().join('\n'));
    EXPECT_EQ(renderer.size(), QSize(px(6000), px(600) + px(4000)));
    EXPECT_EQ(renderer.controlRect(QStringLiteral("NameBox")),
              QRect(px(1500), px(600) + px(100), px(2500), px(300)));
    EXPECT_TRUE(renderer.controlRect(QStringLiteral("Hidden")).isNull());
    EXPECT_TRUE(renderer.controlRect(QStringLiteral("OnSecond")).isNull()) << "second tab page";

    QImage image = renderForm(b.form, data, FormViewMode::Normal);
    const int detail = px(600);
    EXPECT_EQ(image.pixelColor(px(5800), px(300)), QColor(0xff, 0xff, 0x80)) << "header colour";
    EXPECT_EQ(image.pixelColor(px(5800), detail + px(3800)), QColor(0xc0, 0xc0, 0xc0));
    EXPECT_EQ(image.pixelColor(px(4500), detail + px(400)), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(px(2950), detail + px(1850)), QColor(Qt::green)) << "first page";
    EXPECT_EQ(image.pixelColor(px(3750), detail + px(1850)), accessColor(0x8000000F))
        << "the second page's rectangle stays hidden";
    // The bitmap stretched over the image control: four quarters.
    const QRect logo = renderer.controlRect(QStringLiteral("Logo"));
    EXPECT_EQ(image.pixelColor(logo.left() + 2, logo.top() + 2), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(logo.right() - 2, logo.top() + 2), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(logo.left() + 2, logo.bottom() - 2), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(logo.right() - 2, logo.bottom() - 2), QColor(Qt::green));
    EXPECT_GT(inkIn(image, QRect(px(100), detail + px(3200) - 1, px(3000), 3)), px(2500))
        << "the line";
    EXPECT_EQ(inkIn(image, QRect(px(100), detail + px(3400), px(2000), px(300))), 0)
        << "an invisible control";

    // The caption starts at the label's top left, within it.
    const QRect title(px(100), px(100), px(3000), px(400));
    const QRect captionInk = inkBounds(image, QRect(0, 0, image.width(), detail));
    EXPECT_TRUE(title.contains(captionInk)) << captionInk.x() << "," << captionInk.y();
    EXPECT_LT(captionInk.left() - title.left(), 8);
    EXPECT_LT(captionInk.top() - title.top(), 10);

    // The first record: a name, the box ticked, the second option chosen.
    const QRect nameBox = renderer.controlRect(QStringLiteral("NameBox"));
    EXPECT_GT(inkIn(image, nameBox.adjusted(2, 2, -2, -2)), 20);
    const QRect tick = renderer.controlRect(QStringLiteral("Member")).adjusted(3, 3, -3, -3);
    const QRect optionA = renderer.controlRect(QStringLiteral("KindA")).adjusted(5, 5, -5, -5);
    const QRect optionB = renderer.controlRect(QStringLiteral("KindB")).adjusted(5, 5, -5, -5);
    const int tickOn = inkIn(image, tick);
    EXPECT_GT(tickOn, 5);
    EXPECT_GT(inkIn(image, optionB), inkIn(image, optionA) + 5);

    // The second record: no tick, the first option.
    const QImage second2 = renderForm(b.form, data, FormViewMode::Normal, 1);
    EXPECT_LT(inkIn(second2, tick), tickOn);
    EXPECT_GT(inkIn(second2, optionA), inkIn(second2, optionB) + 5);

    // Design view: every section with its bar, the box shows its name.
    FormRenderer design(b.form, data, FormViewMode::Design);
    EXPECT_GT(design.size().height(), renderer.size().height() + px(300));
    EXPECT_FALSE(design.controlRect(QStringLiteral("Hidden")).isNull());
    const int readsBefore = data.reads;
    const QImage designImage = renderForm(b.form, data, FormViewMode::Design);
    EXPECT_EQ(data.reads, readsBefore) << "the design view reads no records";
    EXPECT_GT(
        inkIn(designImage, design.controlRect(QStringLiteral("NameBox")).adjusted(2, 2, -2, -2)),
        20);

    // An unreadable record source: the controls stay empty, the view says why.
    b.form.properties.put(QStringLiteral("RecordSource"), Value(QStringLiteral("broken")));
    QStringList problems;
    const QImage empty = renderForm(b.form, data, FormViewMode::Normal, 0, 96, &problems);
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains(QStringLiteral("broken")));
    EXPECT_EQ(inkIn(empty, nameBox.adjusted(2, 2, -2, -2)), 0);
    EXPECT_EQ(inkIn(empty, tick), inkIn(second2, tick));
}

TEST(FormRenderer, SubformsShowTheirLinkedRecordsAndStopAtADepth)
{
    FakeData data;
    FormBuilder child(3000);
    child.property(QStringLiteral("RecordSource"), Value(QStringLiteral("Lines")));
    child.property(QStringLiteral("DefaultView"), Value::integer(1)); // continuous
    child.section(QStringLiteral("Section"), 300);
    child.control(ControlTypeCode::TextBox, QStringLiteral("Item"), QRect(0, 0, 3000, 300),
                  {text("ControlSource", QStringLiteral("Item"))});
    data.designs.insert(QStringLiteral("Child"), child.form);
    data.sources.insert(QStringLiteral("Lines"),
                        {{{"order", Value::longInt(1)}, {"item", Value(QStringLiteral("x"))}},
                         {{"order", Value::longInt(2)}, {"item", Value(QStringLiteral("y"))}},
                         {{"order", Value::longInt(1)}, {"item", Value(QStringLiteral("z"))}}});
    data.sources.insert(QStringLiteral("Orders"), {{{"id", Value::longInt(1)}}});

    FormBuilder parent;
    parent.property(QStringLiteral("RecordSource"), Value(QStringLiteral("Orders")));
    parent.section(QStringLiteral("Section"), 2000);
    parent.control(ControlTypeCode::Subform, QStringLiteral("Sub"), QRect(0, 0, 3000, 1500),
                   {text("SourceObject", QStringLiteral("Form.Child")),
                    text("LinkChildFields", QStringLiteral("Order")),
                    text("LinkMasterFields", QStringLiteral("ID"))});
    FormRenderer renderer(parent.form, data, FormViewMode::Normal);
    EXPECT_TRUE(renderer.problems().isEmpty()) << qPrintable(renderer.problems().join('\n'));
    const QImage image = renderForm(parent.form, data, FormViewMode::Normal);
    // Two linked lines, each in its own band of the continuous subform; no third.
    EXPECT_GT(inkIn(image, QRect(2, 2, px(3000) - 4, px(300) - 4)), 5);
    EXPECT_GT(inkIn(image, QRect(2, px(300) + 2, px(3000) - 4, px(300) - 4)), 5);
    EXPECT_EQ(inkIn(image, QRect(4, px(600) + 4, px(3000) - 8, px(300) - 8)), 0);

    // A form that holds itself stops at the depth limit, with a note.
    parent.form.name = QStringLiteral("Loop");
    parent.form.controls[0].properties.put(QStringLiteral("SourceObject"),
                                           Value(QStringLiteral("Loop")));
    data.designs.insert(QStringLiteral("Loop"), parent.form);
    FormRenderer loop(parent.form, data, FormViewMode::Normal);
    EXPECT_EQ(loop.problems().size(), 1);
    // A subform whose design is missing: empty, with a note.
    parent.form.controls[0].properties.put(QStringLiteral("SourceObject"),
                                           Value(QStringLiteral("Nowhere")));
    FormRenderer missing(parent.form, data, FormViewMode::Normal);
    ASSERT_EQ(missing.problems().size(), 1);
    EXPECT_TRUE(missing.problems()[0].contains(QStringLiteral("Nowhere")));
}

TEST(FormView, TheSampleFormsOpenInTheTargetWindow)
{
    QTemporaryDir dir;
    MainState state;
    AccessWindow window;
    state.targetView = &window;
    Application &target = openSample(state, dir);
    const QList<Document> forms = target.CurrentDb().Containers(u"Forms").Documents;
    ASSERT_EQ(forms.size(), 5);

    for (const Document &form : forms) {
        for (AcView view : {AcView::Normal, AcView::Design}) {
            target.OpenForm(form.Name, view, -1);
            auto *page = window.tabs()->currentWidget();
            ASSERT_NE(page, nullptr);
            auto *shown = page->findChild<FormView *>();
            ASSERT_NE(shown, nullptr) << qPrintable(form.Name);
            EXPECT_EQ(shown->width(),
                      px(int(target.Forms(form.Name).property(u"Width").toDouble())));
            target.Close(AcObjectType::Form, form.Name);
        }
    }

    // 商品マスタ: the heading's caption in its label, the first product's
    // name in its box, in the normal view.
    target.OpenForm(QStringLiteral("商品マスタ"), AcView::Normal, -1);
    auto *view = window.tabs()->currentWidget()->findChild<FormView *>();
    ASSERT_NE(view, nullptr);
    const QImage image = view->grab().toImage();
    const QRect heading = view->renderer().controlRect(QStringLiteral("見出し"));
    EXPECT_EQ(heading, QRect(px(227), px(142), px(3402), px(397)));
    // Inside the heading's frame (見出し枠), only the caption is dark.
    const QRect ink =
        inkBounds(image, QRect(px(113), px(57), px(9411), px(567)).adjusted(3, 3, -3, -3));
    EXPECT_TRUE(heading.contains(ink));
    EXPECT_GT(ink.width(), px(3402) / 4) << "five 14-point characters";
    // Its lists read their SQL row sources through the query engine; only
    // the price with tax calls a function of the database's own VBA, which
    // is not run here.
    EXPECT_EQ(view->renderer().problems(),
              QStringList{QStringLiteral("商品マスタ: 式を評価できません: 税込単価")});
    const QRect name = view->renderer().controlRect(QStringLiteral("商品名"));
    EXPECT_GT(inkIn(image, name.adjusted(2, 2, -2, -2)), 20);
    std::unique_ptr<RowCursor> products = target.CurrentDb().openRows(QStringLiteral("商品"));
    ASSERT_TRUE(products->next());
    EXPECT_FALSE(vb::textOrEmpty(products->row().value(1)).isEmpty());
}

TEST(DesignFont, WindowsFontsMapToFacesOfTheSameKind)
{
    const struct
    {
        const char *name;
        const char *face;
    } cases[] = {{"ＭＳ Ｐゴシック", "Ume P Gothic"}, {"ＭＳ ゴシック", "Ume Gothic"},
                 {"MS UI Gothic", "Ume UI Gothic"},   {"ＭＳ 明朝", "Ume Mincho"},
                 {"ＭＳ Ｐ明朝", "Ume P Mincho"},     {"Tahoma", "DejaVu Sans"},
                 {"MS Sans Serif", "DejaVu Sans"},    {"Times New Roman", "DejaVu Serif"},
                 {"Courier New", "DejaVu Sans Mono"}};
    for (const auto &c : cases) {
        const QStringList families = designFontFamilies(QString::fromUtf8(c.name));
        ASSERT_FALSE(families.isEmpty());
        EXPECT_EQ(families[0], QString::fromUtf8(c.face)) << c.name;
        // What Qt resolves the font to is that face (the named one is not here).
        EXPECT_EQ(QFontInfo(designFont(QString::fromUtf8(c.name), 16, 400, false, false)).family(),
                  QString::fromUtf8(c.face))
            << c.name;
    }
}

TEST(FormView, EveryCorpusExportedFormAndTheSampleReportsRender)
{
    // The sample's reports: the preview shows the detail once per record.
    {
        QTemporaryDir dir;
        MainState state;
        Application &target = openSample(state, dir);
        for (const Document &report : target.CurrentDb().Containers(u"Reports").Documents) {
            target.OpenReport(report.Name, AcView::Preview);
            auto data = targetFormData(target);
            const Report &design = target.Reports(report.Name);
            FormRenderer preview(design, *data, FormViewMode::Normal);
            FormRenderer layout(design, *data, FormViewMode::Design);
            EXPECT_GT(preview.size().height(), 0) << qPrintable(report.Name);
            EXPECT_FALSE(renderForm(design, *data, FormViewMode::Design).isNull());
            target.Close(AcObjectType::Report, report.Name);
        }
    }

    const QString corpus = QStringLiteral(QUILLMARK_CORPUS_DIR);
    const QString strings = corpus + QStringLiteral("/jet4/Strings.mdb");
    if (!QFileInfo::exists(strings))
        GTEST_SKIP() << "the corpus is not here: " << qPrintable(corpus);
    MainState state;
    wireJetHost(state, JetOptions());
    DesignOptions designs;
    designs.folder = [corpus] { return corpus + QStringLiteral("/exports/jet4-Strings"); };
    designs.codePage = QStringLiteral("CP1251"); // written on a Russian system
    wireDesigns(state, designs);
    Application &target = state.newTargetInstance();
    target.OpenCurrentDatabase(strings);
    int rendered = 0;
    for (const Document &form : target.CurrentDb().Containers(u"Forms").Documents) {
        target.OpenForm(form.Name, AcView::Normal, -1);
        auto data = targetFormData(target);
        for (FormViewMode mode : {FormViewMode::Normal, FormViewMode::Design}) {
            const QImage image = renderForm(target.Forms(form.Name), *data, mode);
            EXPECT_GT(image.width(), 1) << qPrintable(form.Name);
            // Something of the form is drawn: not one flat colour.
            EXPECT_GT(inkIn(image, image.rect()), 0) << qPrintable(form.Name);
        }
        target.Close(AcObjectType::Form, form.Name);
        ++rendered;
    }
    EXPECT_EQ(rendered, 12);
}

// Every form and report of every readable corpus file, designs from the
// file itself: drawn in both views without an error escaping. What a form
// cannot read (a linked table, a missing query) goes to its problems.
TEST(FormView, EveryCorpusFormAndReportRendersFromTheFile)
{
    if (corpusDir().isEmpty())
        GTEST_SKIP() << "corpus absent";
    QTemporaryDir none;
    int rendered = 0;
    QStringList failures;
    for (const QString &path : corpusDatabases()) {
        MainState state;
        wireJetHost(state, JetOptions());
        wireDesigns(state, DesignOptions{[&none] { return none.path(); }, QString()});
        state.exportServices.runQuery = runSavedQuery;
        state.exportServices.runSql = runSqlText;
        Application &target = state.newTargetInstance();
        try {
            target.OpenCurrentDatabase(path);
        } catch (const HostError &) {
            continue; // not a readable database: the Jet tests cover those
        }
        for (const bool isForm : {true, false}) {
            const QString container = isForm ? QStringLiteral("Forms") : QStringLiteral("Reports");
            for (const Document &doc : target.CurrentDb().Containers(container).Documents) {
                const QString what = QFileInfo(path).fileName() + u' ' + doc.Name;
                try {
                    if (isForm)
                        target.OpenForm(doc.Name, AcView::Normal, -1);
                    else
                        target.OpenReport(doc.Name, AcView::Preview);
                    auto data = targetFormData(target);
                    const AccessObject &design =
                        isForm ? target.Forms(doc.Name) : target.Reports(doc.Name);
                    for (FormViewMode mode : {FormViewMode::Normal, FormViewMode::Design})
                        if (renderForm(design, *data, mode).isNull())
                            failures << what + QStringLiteral(": nothing drawn");
                    target.Close(isForm ? AcObjectType::Form : AcObjectType::Report, doc.Name);
                    ++rendered;
                } catch (const HostError &e) {
                    failures << what + QStringLiteral(": ") + e.description();
                }
            }
        }
    }
    std::cout << rendered << " corpus forms and reports rendered\n";
    EXPECT_GT(rendered, 200);
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
}

// A printed report: every record read, cut into pages with the page header
// and footer on each, the report header on the first page only and a detail
// that does not fit starting the next page.
TEST(FormRenderer, PrintedReportIsCutIntoPages)
{
    FormBuilder b;
    b.form.isReport = true;
    b.property(QStringLiteral("RecordSource"), Value(QStringLiteral("People")));
    b.section(QStringLiteral("FormHeader"), 1000);
    b.control(ControlTypeCode::Label, QStringLiteral("Title"), QRect(100, 100, 3000, 800),
              {text("Caption", QStringLiteral("WWWW"))});
    b.section(QStringLiteral("PageHeader"), 500);
    b.control(ControlTypeCode::Label, QStringLiteral("Heading"), QRect(100, 50, 3000, 400),
              {text("Caption", QStringLiteral("WWWW"))});
    b.section(QStringLiteral("Section"), 1000);
    b.control(ControlTypeCode::TextBox, QStringLiteral("NameBox"), QRect(100, 100, 3000, 800),
              {text("ControlSource", QStringLiteral("name")),
               prop("BorderStyle", Value::integer(0)), prop("FontSize", Value::integer(20))});
    b.section(QStringLiteral("PageFooter"), 500);
    b.control(ControlTypeCode::Label, QStringLiteral("Foot"), QRect(100, 50, 3000, 400),
              {text("Caption", QStringLiteral("WWWW"))});
    b.section(QStringLiteral("FormFooter"), 0);
    FakeData data;
    QList<FormRecord> people;
    for (int i = 0; i < 30; ++i)
        people.append({{"name", Value(QStringLiteral("WWW%1").arg(i))}});
    data.sources.insert(QStringLiteral("People"), people);

    const FormRenderer preview(b.form, data, FormViewMode::Normal);
    EXPECT_EQ(preview.size().height(), px(1000) + px(500) + 20 * px(1000) + px(500))
        << "the preview shows the first 20 records";

    const FormRenderer printed(b.form, data, FormViewMode::Normal, 0, 144, {}, 0, 1000);
    // At 144 dpi a pixel is 10 twips, so the sections add up exactly.
    auto at = [](int twips) { return twips / 10; };
    // 5000 twips a page: 4000 between header and footer, 3 details under
    // the report header on the first page, 4 on each further one.
    const int pageHeight = at(5000);
    ASSERT_EQ(printed.pageCount(pageHeight), 8);
    auto page = [&](int n) {
        QImage image(at(6000), pageHeight, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        printed.paintPage(painter, n, pageHeight);
        return image;
    };
    auto detailSlot = [&](int top) { return QRect(at(100), at(top + 100), at(3000), at(800)); };
    const QImage first = page(0);
    EXPECT_GT(inkIn(first, QRect(at(100), at(50), at(3000), at(400))), 0) << "page header";
    EXPECT_GT(inkIn(first, QRect(at(100), at(600), at(3000), at(800))), 0) << "report header";
    EXPECT_GT(inkIn(first, detailSlot(3500)), 0) << "third record";
    EXPECT_GT(inkIn(first, QRect(at(100), at(4550), at(3000), at(400))), 0) << "page footer";
    const QImage second = page(1);
    EXPECT_GT(inkIn(second, detailSlot(500)), 0) << "records go on after the page header";
    EXPECT_GT(inkIn(second, detailSlot(3500)), 0);
    const QImage last = page(7);
    EXPECT_GT(inkIn(last, detailSlot(2500)), 0) << "the 30th record";
    EXPECT_EQ(inkIn(last, detailSlot(3500)), 0) << "nothing after it";
    EXPECT_GT(inkIn(last, QRect(at(100), at(4550), at(3000), at(400))), 0) << "page footer";
}

// "=..." control sources are evaluated through the query engine: per record
// with the record's fields, totals over the subform's linked records.
TEST(FormView, ExpressionsShowTheirValues)
{
    QTemporaryDir dir;
    MainState state;
    Application &target = openSample(state, dir);
    auto data = targetFormData(target);
    const Form &lines = data->design(QStringLiteral("受注明細サブ"));
    const FormRenderer renderer(lines, *data, FormViewMode::Normal, 0, 96,
                                RecordFilter{QStringLiteral("受注ID"), Value::longInt(1)});
    EXPECT_TRUE(renderer.problems().isEmpty()) << qPrintable(renderer.problems().join('\n'));
    QImage image(renderer.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        renderer.paint(painter);
    }
    for (const char *box : {"金額", "合計"}) {
        const QRect rect = renderer.controlRect(QString::fromUtf8(box));
        ASSERT_FALSE(rect.isNull()) << box;
        EXPECT_GT(inkIn(image, rect.adjusted(3, 3, -3, -3)), 20) << box;
    }
}
