#pragma once

#include "config/BlockContext.h"
#include "config/ConfigModel.h"
#include "events/EventCodeTables.h"

#include <QSet>
#include <QStringList>

namespace sr5n {

// A copy of the configuration values and the event-code tables to decode
// into: nothing reaches the window before the whole decoding succeeded, so a
// decoding that fails half-way leaves the window exactly as it was. The
// protocol library and the user are the target's own; the copy follows the
// library's changes to the protocol choosers while it lives.
class ConfigurationCopy final
{
public:
    explicit ConfigurationCopy(const BlockContext &target);

    ConfigurationCopy(const ConfigurationCopy &) = delete;
    ConfigurationCopy &operator=(const ConfigurationCopy &) = delete;

    // The context to decode into.
    const BlockContext &context() const { return m_context; }
    // What the copy holds: decoded, but never applied, it is the other side
    // of a comparison with the target.
    const ConfigModel &model() const { return m_model; }
    const EventCodeTables &tables() const { return m_tables; }
    // Puts what the decoding changed into the target.
    void apply();
    // `name` goes into the target with the rest even where its value did not
    // change in the copy (the target's may have meanwhile).
    void keep(const QString &name) { changed(name); }

private:
    void changed(const QString &name);

    BlockContext m_target;
    ConfigModel m_model;
    EventCodeTables m_tables;
    BlockContext m_context;
    QStringList m_changed;
    QSet<QString> m_seen;
};

} // namespace sr5n
