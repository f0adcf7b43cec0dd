#include "host/command/mainstate.h"

#include "host/vb/errors.h"

Database &MainState::targetDatabase()
{
    if (!target)
        throw HostError(Err::ObjectNotSet,
                        QStringLiteral("Object variable not set: no target database is open"));
    return target->CurrentDb();
}

Application &MainState::newTargetInstance()
{
    target = std::make_unique<Application>(opener, targetView, designOpener);
    target->setExportServices(exportServices);
    return *target;
}

Store &MainState::openStore()
{
    commitStore();
    store.reset(); // one connection at a time, as each run replaces the previous one
    store = Store::open(storePath);
    return *store;
}

void MainState::commitStore()
{
    if (store)
        store->commit();
}
