#pragma once

#include <QString>

namespace sr5n {

// A value echoed in a message: control characters escaped as in JSON and at
// most `limit` characters, the rest summed up as "… (N знаков)".
QString ReadableEcho(const QString &text, qsizetype limit = 60);

// Text from elsewhere (a shared catalogue) shown on a terminal: the whole of
// it, control characters escaped, so that none acts on the terminal or
// breaks a line.
inline QString TerminalSafe(const QString &text)
{
    return ReadableEcho(text, text.size());
}

} // namespace sr5n
