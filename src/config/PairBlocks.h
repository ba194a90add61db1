#pragma once

#include "config/BlockContext.h"

#include <QString>

namespace sr5n {

// The blocks of the station-number pairs: one number block per station number
// and one protocol block per pair. Pairs and numbers are 1 or 2.

// The number block of number `number` of pair `pair`: object code, the pair's
// call attempts, 00, the waiting time, 00, then the phone field. An empty
// number is switched off first. Empty for a pair or number other than 1 or 2.
QString EncodeNumberBlock(const BlockContext &context, int pair, int number);
// Sets the number's values from its block, in block order, through the model.
// False when a field is missing or not hexadecimal; what was set stays set.
bool DecodeNumberBlock(const BlockContext &context, int pair, int number, const QString &data);

// The record of the protocol chosen for the pair; empty when the pair has no
// protocol to send (an empty library or no choice).
QString EncodeProtocolBlock(const BlockContext &context, int pair);
// Makes sure the record is in the library (the user may be asked to register
// it) and chooses it for the pair. False when it is not in the library.
bool DecodeProtocolBlock(const BlockContext &context, int pair, const QString &data);

} // namespace sr5n
