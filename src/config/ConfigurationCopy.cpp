#include "config/ConfigurationCopy.h"

namespace sr5n {

ConfigurationCopy::ConfigurationCopy(const BlockContext &target)
    : m_target(target), m_context{m_model, m_tables, target.catalog, target.notifier}
{
    m_model.copyValues(target.model);
    m_tables.copyFrom(target.tables);
    QObject::connect(&m_model, &ConfigModel::valueChanged, &m_model,
                     [this](const QString &name) { changed(name); });
    QObject::connect(&m_model, &ConfigModel::rangeChanged, &m_model,
                     [this](const QString &name) { changed(name); });
    // A protocol registered while decoding refills the target's choosers.
    QObject::connect(&target.model, &ConfigModel::itemsChanged, &m_model,
                     [this](const QString &name) {
                         m_model.setChoiceItems(name, m_target.model.choiceItems(name));
                     });
}

void ConfigurationCopy::changed(const QString &name)
{
    if (!m_seen.contains(name)) {
        m_seen.insert(name);
        m_changed.append(name);
    }
}

void ConfigurationCopy::apply()
{
    m_target.model.copyValues(m_model, m_changed);
    m_target.tables.copyFrom(m_tables);
}

} // namespace sr5n
