// Ordered property collections and the errors raised where a missing
// property is read: 3270 on DAO objects, 2455 on Access objects.

#include "host/objects/access.h"
#include "host/objects/application.h"
#include "host/objects/fixturesource.h"
#include "host/vb/errors.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

TEST(Properties, OrderAndMissingProperties)
{
    Properties dao(Properties::Owner::Dao, QStringLiteral("Orders"));
    dao.append(QStringLiteral("Description"), QStringLiteral("first"));
    dao.append(QStringLiteral("Caption"), QStringLiteral("c"));
    dao.append(QStringLiteral("Description"), QStringLiteral("second"));
    EXPECT_EQ(dao.Count(), 3);
    EXPECT_EQ(dao.item(2).Value(), Value(QStringLiteral("second")));
    EXPECT_EQ(dao.item(QStringLiteral("Description")).Value(), Value(QStringLiteral("first")));
    EXPECT_EQ(errorOf([&] { dao.item(QStringLiteral("description")); }), 3270);
    EXPECT_EQ(errorOf([&] { dao.item(3); }), 3265);
    EXPECT_EQ(errorOf([&] { dao.setValue(QStringLiteral("StartupForm"), Value()); }), 3270);

    Control label;
    label.properties.append(QStringLiteral("Name"), QStringLiteral("Label1"));
    label.properties.append(QStringLiteral("ControlType"), Value::integer(100));
    EXPECT_EQ(label.Name(), "Label1");
    EXPECT_EQ(errorOf([&] { label.property(u"Locked"); }), 2455);
    AccessObject form;
    form.name = QStringLiteral("Main");
    form.controls << label;
    EXPECT_EQ(errorOf([&] { form.Controls(1); }), 2455);
    EXPECT_EQ(errorOf([&] { form.GroupLevels(0); }), 2455);
}

TEST(Application, TargetInstanceLifecycle)
{
    FixtureSource fixture(QStringLiteral("/data/a.mdb"));
    fixture.add(FixtureTable(QStringLiteral("T")).field(QStringLiteral("ID"), DaoType::Long));
    Application app(fixture.opener());
    EXPECT_FALSE(app.Visible());
    EXPECT_EQ(errorOf([&] { app.CurrentDb(); }), 91);
    app.CloseCurrentDatabase(); // nothing open: not an error
    app.OpenCurrentDatabase(QStringLiteral("/data/a.mdb"));
    EXPECT_EQ(app.CurrentDb().Name(), "/data/a.mdb");
    EXPECT_EQ(app.CurrentDb().TableDefs(QStringLiteral("T")).Fields().size(), 1);
    EXPECT_EQ(errorOf([&] { app.CurrentDb().TableDefs(QStringLiteral("U")); }), 3265);
    EXPECT_EQ(errorOf([&] { app.CurrentDb().Containers(QStringLiteral("Nope")); }), 3265);
    // Containers of Access's own objects read as empty when the file lacks them.
    EXPECT_TRUE(app.CurrentDb().Containers(QStringLiteral("Scripts")).Documents.isEmpty());
    app.CloseCurrentDatabase();
    EXPECT_FALSE(app.hasCurrentDatabase());

    // An opener that fails leaves no database open.
    Application broken([](const QString &) -> std::shared_ptr<DatabaseSource> {
        throw HostError(Err::UnrecognizedFormat, QStringLiteral("not a database"));
    });
    EXPECT_EQ(errorOf([&] { broken.OpenCurrentDatabase(QStringLiteral("x")); }), 3343);
    EXPECT_FALSE(broken.hasCurrentDatabase());
}
