// A read that fails at any point of a run (catalog, a table's definition,
// a query's SQL, a table's rows) ends the run with that HostError; the
// engine neither crashes nor returns rows.

#include "host/query/queryengine.h"
#include "host/vb/errors.h"
#include "query/queryfixture.h"

#include <gtest/gtest.h>

TEST(QueryFaults, AFailedReadAnywhereEndsTheRunWithItsError)
{
    for (int failAt = 0;; ++failAt) {
        SCOPED_TRACE(failAt);
        auto fx = salesFixture();
        fx->add(FixtureQuery("Big orders", 0,
                             "SELECT OrderID, CustomerID FROM Orders WHERE Amount > 50;"));
        fx->add(
            FixtureQuery("Names", 0,
                         "SELECT Customers.Name, [Big orders].OrderID FROM Customers INNER JOIN "
                         "[Big orders] ON Customers.ID = [Big orders].CustomerID;"));
        fx->failAfterReads(failAt);
        const Database db(fx);
        try {
            const QueryResult r = runQuery(db, "Names");
            EXPECT_EQ(r.rows.size(), 4);
            break; // every read before this one has been failed once
        } catch (const HostError &e) {
            EXPECT_EQ(e.number(), Err::DamagedDatabase);
        }
        ASSERT_LT(failAt, 100);
    }
}
