// The aggregates of Jet SQL that SQLite lacks: First, Last, StDev,
// StDevP, Var and VarP.

#include "host/query/sqlitefunctions.h"

#include <cmath>

namespace {

// First and Last keep the value of the first and last
// row SQLite feeds the group, which is the tables' order for a plain scan
// (the GROUP BY sorter keeps rows of equal keys in arrival order).

struct Kept
{
    bool seen = false;
    Value value;
};

Kept *keptOf(sqlite3_context *context)
{
    auto **slot = static_cast<Kept **>(sqlite3_aggregate_context(context, sizeof(Kept *)));
    if (slot && !*slot)
        *slot = new Kept;
    return slot ? *slot : nullptr;
}

// A second argument, when given, says whether the row counts (a crosstab
// cell takes only the rows of its column).
bool counts(int argc, sqlite3_value **argv)
{
    return argc < 2 ||
           (sqlite3_value_type(argv[1]) != SQLITE_NULL && sqlite3_value_int(argv[1]) != 0);
}

void firstStep(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    if (!counts(argc, argv))
        return;
    Kept *k = keptOf(context);
    if (k && !k->seen) {
        k->seen = true;
        k->value = sqliteArgument(argv[0]);
    }
}

void lastStep(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    if (!counts(argc, argv))
        return;
    if (Kept *k = keptOf(context)) {
        k->seen = true;
        k->value = sqliteArgument(argv[0]);
    }
}

void keptFinal(sqlite3_context *context)
{
    auto **slot = static_cast<Kept **>(sqlite3_aggregate_context(context, 0));
    if (!slot || !*slot) {
        sqlite3_result_null(context);
        return;
    }
    sqliteResult(context, (*slot)->seen ? (*slot)->value : Value::null());
    delete *slot;
    *slot = nullptr;
}

// Welford's running mean and sum of squares.
struct Spread
{
    qint64 n = 0;
    double mean = 0, m2 = 0;
};

void spreadStep(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return;
    auto *s = static_cast<Spread *>(sqlite3_aggregate_context(context, sizeof(Spread)));
    if (!s)
        return;
    const double x = sqlite3_value_double(argv[0]);
    ++s->n;
    const double delta = x - s->mean;
    s->mean += delta / double(s->n);
    s->m2 += delta * (x - s->mean);
}

template <bool sample, bool root> void spreadFinal(sqlite3_context *context)
{
    auto *s = static_cast<Spread *>(sqlite3_aggregate_context(context, 0));
    const qint64 minimum = sample ? 2 : 1;
    if (!s || s->n < minimum) {
        sqlite3_result_null(context);
        return;
    }
    const double variance = s->m2 / double(sample ? s->n - 1 : s->n);
    sqlite3_result_double(context, root ? std::sqrt(variance) : variance);
}

} // namespace

void registerVbaAggregates(sqlite3 *h)
{
    sqlite3_create_function_v2(h, "vb_first", -1, SQLITE_UTF8, nullptr, nullptr, firstStep,
                               keptFinal, nullptr);
    sqlite3_create_function_v2(h, "vb_last", -1, SQLITE_UTF8, nullptr, nullptr, lastStep, keptFinal,
                               nullptr);
    sqlite3_create_function_v2(h, "vb_stdev", 1, SQLITE_UTF8, nullptr, nullptr, spreadStep,
                               spreadFinal<true, true>, nullptr);
    sqlite3_create_function_v2(h, "vb_stdevp", 1, SQLITE_UTF8, nullptr, nullptr, spreadStep,
                               spreadFinal<false, true>, nullptr);
    sqlite3_create_function_v2(h, "vb_var", 1, SQLITE_UTF8, nullptr, nullptr, spreadStep,
                               spreadFinal<true, false>, nullptr);
    sqlite3_create_function_v2(h, "vb_varp", 1, SQLITE_UTF8, nullptr, nullptr, spreadStep,
                               spreadFinal<false, false>, nullptr);
}
