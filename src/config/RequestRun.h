#pragma once

#include <QStringList>

#include <functional>

namespace sr5n {

class TConnection;

// Sends a request list over an open link, one request at a time: `Read` for a
// reading run, `Write` for a writing run, then `step` and the pause of a
// configuration run after each. Stops at the first failed request or when the
// link is aborted (Cancel, a fault answer). A reading run appends every
// answer's command and data to `answerCommands` and `answerData`.
// True when every request succeeded and nothing aborted.
enum class RunKind { Reading, Writing };

bool RunRequests(TConnection &link, RunKind kind, const QStringList &data, const QStringList &commands,
                 const std::function<void()> &step, QStringList *answerData = nullptr,
                 QStringList *answerCommands = nullptr);

} // namespace sr5n
