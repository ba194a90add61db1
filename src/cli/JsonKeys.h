#pragma once

#include "common/ReadableEcho.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace sr5n {

// Checks of a JSON text that the parser does not make: a key given twice in
// one object (the parser keeps the last one silently) and a parse error's
// place as the user counts it.

// "ключ "<key>" повторяется" (with the object it is in, when nested) for the
// first key that appears twice in one object of `json`, a text the parser
// accepted; nothing when every key is unique.
std::optional<QString> DuplicateJsonKey(const QByteArray &json);

// Where a byte offset of UTF-8 text lies: line and column from 1, the column
// counting characters.
struct TextPlace {
    int line = 1;
    int column = 1;
};
TextPlace PlaceOfOffset(const QByteArray &text, qsizetype offset);

} // namespace sr5n
