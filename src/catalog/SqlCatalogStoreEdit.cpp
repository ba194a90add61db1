#include "catalog/SqlCatalogStore.h"

namespace sr5n {

ObjectEdit SqlCatalogStore::editObject(const CatalogObject &seen, const QString &name,
                                       const QString &address, const QString &notes)
{
    ObjectEdit edit;
    if (!begin())
        return edit;
    // Under the object's lock: nobody changes it between the check and the write.
    if (!lockObject(seen.id)) {
        rollback();
        return edit;
    }
    const std::optional<CatalogObject> now = object(seen.id);
    if (!now) {
        fail(QStringLiteral("объекта %1 нет в базе").arg(seen.id));
        rollback();
        return edit;
    }
    edit.current = *now;
    if (now->name != seen.name || now->address != seen.address || now->notes != seen.notes) {
        rollback();
        edit.outcome = ObjectEdit::Outcome::ChangedMeanwhile;
        return edit;
    }
    if (!writeDescription(seen.id, name, address, notes) || !commit()) {
        rollback();
        return edit;
    }
    edit.outcome = ObjectEdit::Outcome::Saved;
    if (const std::optional<CatalogObject> saved = object(seen.id))
        edit.current = *saved;
    return edit;
}

} // namespace sr5n
