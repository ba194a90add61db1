#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace sr5n {

class ConfigModel;

// What the catalogue finds in a configuration: the object numbers that tell
// its object and the phone numbers a search looks in.
struct ConfigurationFacts {
    QString codes;  // object numbers of pair 1 and pair 2: "1234 0567"
    QString phones; // phone numbers in use, space-separated

    static ConfigurationFacts of(const ConfigModel &model);
    // Of .snc bytes, decoded apart from everything else; nothing when they
    // do not decode.
    static std::optional<ConfigurationFacts> ofFile(const QByteArray &snc);
    // The object number a pair is known by: that of its first number in use
    // (of its first number when neither is).
    static QString objectNumber(const ConfigModel &model, int pair);
};

} // namespace sr5n
