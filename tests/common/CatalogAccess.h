#pragma once

// Tests reach the catalogue as the program does: through its service, whose
// thread owns the connections. These helpers wait for the answer.

#include "app/Configurator.h"
#include "catalog/CatalogService.h"
#include "catalog/CatalogStore.h"
#include "catalog/ObjectCatalog.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <optional>
#include <type_traits>

namespace sr5n::test {

// Every request asked so far answered and its answer delivered.
inline bool settle(CatalogService &service, int ms = 60000)
{
    return service.wait(CatalogService::Until::Idle, ms);
}

inline bool settle(Configurator &app, int ms = 60000)
{
    return settle(app.objects(), ms);
}

// `use(store)` run on the catalogue's thread; its result. The store must open.
template <typename Use>
auto onStore(CatalogService &service, Use use) -> decltype(use(std::declval<CatalogStore &>()))
{
    using Result = decltype(use(std::declval<CatalogStore &>()));
    if constexpr (std::is_void_v<Result>) {
        (void)service.await<bool>([&use](ObjectCatalog &catalog) -> Expected<bool> {
            if (CatalogStore *store = catalog.store())
                use(*store);
            return true;
        });
    } else {
        std::optional<Result> result;
        (void)service.await<bool>([&use, &result](ObjectCatalog &catalog) -> Expected<bool> {
            if (CatalogStore *store = catalog.store())
                result.emplace(use(*store));
            return true;
        });
        return result ? std::move(*result) : Result();
    }
}

template <typename Use>
auto onStore(Configurator &app, Use use) -> decltype(use(std::declval<CatalogStore &>()))
{
    return onStore(app.objects(), std::move(use));
}

// `use(catalog)` run on the catalogue's thread; its result.
template <typename Use>
auto onCatalog(Configurator &app, Use use) -> decltype(use(std::declval<ObjectCatalog &>()))
{
    using Result = decltype(use(std::declval<ObjectCatalog &>()));
    std::optional<Result> result;
    (void)app.objects().await<bool>([&use, &result](ObjectCatalog &catalog) -> Expected<bool> {
        result.emplace(use(catalog));
        return true;
    });
    return std::move(*result);
}

// Waits, handling events, until `done()` holds; false after `ms`.
template <typename Done> bool waitFor(Done done, int ms = 30000)
{
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

} // namespace sr5n::test
