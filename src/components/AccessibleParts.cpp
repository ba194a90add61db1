#include "components/AccessibleParts.h"

#include <QWindow>

namespace sr5n {

QWindow *WidgetPartAccessible::window() const
{
    return m_owner ? m_owner->window()->windowHandle() : nullptr;
}

QAccessibleInterface *WidgetPartAccessible::parent() const
{
    return QAccessible::queryAccessibleInterface(m_owner.data());
}

QRect WidgetPartAccessible::onScreen(const QWidget *widget, const QRect &local)
{
    if (!widget || local.isEmpty())
        return {};
    return QRect(widget->mapToGlobal(local.topLeft()), local.size());
}

WidgetParts::~WidgetParts()
{
    for (QAccessible::Id id : std::as_const(m_ids))
        QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface *WidgetParts::part(quint64 key,
                                        const std::function<QAccessibleInterface *()> &make) const
{
    if (const auto found = m_ids.constFind(key); found != m_ids.constEnd()) {
        // Made again should the toolkit have let it go meanwhile.
        if (QAccessibleInterface *kept = QAccessible::accessibleInterface(*found))
            return kept;
        m_ids.erase(found);
    }
    QAccessibleInterface *made = make();
    m_ids.insert(key, QAccessible::registerAccessibleInterface(made));
    return made;
}

qint64 WidgetParts::keyOf(const QAccessibleInterface *part) const
{
    for (auto it = m_ids.constBegin(); it != m_ids.constEnd(); ++it)
        if (QAccessible::accessibleInterface(it.value()) == part)
            return qint64(it.key());
    return -1;
}

} // namespace sr5n
