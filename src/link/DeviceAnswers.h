#pragma once

#include <QString>

namespace sr5n {

// What the link relies on in the device's answers besides their frame.

// The busy answer "FF" + "FF": the device has not carried the request out.
bool IsBusyAnswer(const QString &command, const QString &data);

// The text an answer's data must start with to belong to the request
// `command` + `data`: the answer to a memory read ("01") repeats the address
// it was asked for. Empty when the answer repeats nothing of its request.
QString AnswerEcho(const QString &command, const QString &data);

} // namespace sr5n
