#pragma once

namespace sr5n {

class ConfigModel;
class EventCodeTables;
class Notifier;
class ProtocolCatalog;

// Everything the block encoders and decoders reach: the configuration values,
// the event-code tables, the protocol library and the user (for failures).
struct BlockContext {
    ConfigModel &model;
    EventCodeTables &tables;
    ProtocolCatalog &catalog;
    Notifier &notifier;
};

} // namespace sr5n
