#pragma once

#include <QString>

namespace sr5n {

// A value echoed in a message: control characters escaped as in JSON and at
// most `limit` characters, the rest summed up as "… (N знаков)".
QString ReadableEcho(const QString &text, qsizetype limit = 60);

} // namespace sr5n
