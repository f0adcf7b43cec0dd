// Designs decoded from real files. Strings.mdb ships Access's own text
// export of its forms, an independent reading of the same objects: each
// form's controls must come out with the names, types, sections, parents
// and positions the export gives. Then every form and report of every
// corpus file must decode and build.

#include "host/design/exportdesignsource.h"
#include "host/design/storeddesignsource.h"
#include "host/vb/errors.h"
#include "support/testsupport.h"

#include <QDirIterator>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <iostream>

using namespace Qt::StringLiterals;

namespace {

QString describe(const Value &v)
{
    switch (v.type()) {
    case Value::Type::Integer:
        return QString::number(v.asInteger());
    case Value::Type::Long:
        return QString::number(v.asLong());
    case Value::Type::Boolean:
        return v.asBoolean() ? u"True"_s : u"False"_s;
    case Value::Type::Text:
        return u'"' + v.asText() + u'"';
    default:
        return u"(type %1)"_s.arg(int(v.type()));
    }
}

// One line per control: what both readers must agree on.
QStringList controlLines(const AccessObject &object)
{
    QStringList lines;
    for (const Control &c : object.controls) {
        QString line = u"%1 %2 section %3 parent %4"_s.arg(c.Name())
                           .arg(c.property(u"ControlType").asInteger())
                           .arg(c.section)
                           .arg(c.parent);
        for (const char16_t *p : {u"Left", u"Top", u"Width", u"Height"})
            if (const Property *found = c.properties.find(p))
                line += u' ' + QString::fromUtf16(p) + u'=' + describe(found->Value());
        lines.append(line);
    }
    return lines;
}

TEST(DesignStreamCorpus, StringsFormsEqualTheirTextExport)
{
    const QString file = corpusFile(u"jet4/Strings.mdb"_s);
    const QString exports = corpusFile(u"exports/jet4-Strings"_s);
    if (file.isEmpty() || exports.isEmpty())
        GTEST_SKIP() << "corpus absent";
    StoredDesignSource stored(file);
    ExportDesignSource exported(exports, "CP1251");
    const QStringList names = stored.formNames();
    EXPECT_EQ(stored.storage(), u"MSysAccessStorage"_s);
    EXPECT_EQ(names.size(), 12);
    int controls = 0;
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        const Form fromFile = stored.form(name);
        const Form fromExport = exported.form(name);
        EXPECT_EQ(controlLines(fromFile), controlLines(fromExport));
        controls += fromFile.ControlCount();
        ASSERT_EQ(fromFile.sections.size(), fromExport.sections.size());
        for (qsizetype i = 0; i < fromFile.sections.size(); ++i)
            EXPECT_EQ(fromFile.sections[i].kind, fromExport.sections[i].kind);
        for (const char16_t *p : {u"RecordSource", u"Caption", u"Width", u"OnOpen", u"DefaultView",
                                  u"RecordSelectors", u"NavigationButtons"})
            EXPECT_EQ(describe(fromFile.property(p)), describe(fromExport.property(p)))
                << QString::fromUtf16(p).toStdString();
    }
    EXPECT_GT(controls, 300);
    std::cout << "Strings.mdb: " << names.size() << " forms, " << controls << " controls\n";
}

TEST(DesignStreamCorpus, EveryStoredDesignDecodes)
{
    const QString root = corpusDir();
    if (root.isEmpty())
        GTEST_SKIP() << "corpus absent";
    int designs = 0;
    QStringList failures;
    QDirIterator it(root, {u"*.mdb"_s, u"*.accdb"_s}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        std::unique_ptr<StoredDesignSource> source;
        try {
            source = std::make_unique<StoredDesignSource>(path);
        } catch (const HostError &) {
            continue; // not a readable database: the Jet tests cover those
        }
        try {
            for (const QString &name : source->formNames()) {
                ++designs;
                try {
                    source->form(name);
                } catch (const HostError &e) {
                    failures.append(e.description());
                }
            }
            for (const QString &name : source->reportNames()) {
                ++designs;
                try {
                    source->report(name);
                } catch (const HostError &e) {
                    failures.append(e.description());
                }
            }
        } catch (const HostError &e) {
            failures.append(QFileInfo(path).fileName() + u": "_s + e.description());
        }
    }
    EXPECT_GT(designs, 200);
    std::cout << designs << " stored designs decoded\n";
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
}

} // namespace
