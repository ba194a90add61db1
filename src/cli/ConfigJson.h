#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace sr5n {

class ConfigModel;
class EventCodeTables;

// The configuration as readable JSON, for version control and templates: every
// value the configuration carries under its control name, as the pages show it
// ("30 с", true, "0A1B", "12:30", the chosen item's text), and the three code
// tables under the names of their grids, one object a row with the tables'
// column headers as keys (external codes by zone, only the zones with a code).
QByteArray ConfigurationToJson(const ConfigModel &model, const EventCodeTables &tables);

// Takes a JSON form into `model` and `tables`; keys left out keep their
// values. Every key and value is checked first; on the first fault nothing
// has been changed and the message names the key and what it allows.
std::optional<QString> ConfigurationFromJson(const QByteArray &json, ConfigModel &model,
                                             EventCodeTables &tables);

} // namespace sr5n
