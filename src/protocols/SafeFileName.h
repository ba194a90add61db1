#pragma once

#include <QString>

namespace sr5n {

// `text` with each of \ / : * ? " < > | replaced by "_"; everything else,
// spaces included, stays.
QString SafeFileName(const QString &text);

} // namespace sr5n
