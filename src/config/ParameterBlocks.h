#pragma once

#include "config/BlockContext.h"

#include <QString>

namespace sr5n {

// The parameter blocks of the configuration. Each encoder turns the current
// configuration into the block's data text; each decoder sets the values of
// its block through the model and the event-code tables, in block order, and
// returns false at the first field that is missing or not hexadecimal (or a
// time out of range), leaving what it had set.

// Test messages of both pairs and the line check (16 bytes).
QString EncodeTestBlock(const BlockContext &context);
bool DecodeTestBlock(const BlockContext &context, const QString &data);

// Automatic reset of both pairs, in minutes (4 bytes).
QString EncodeAutoResetBlock(const BlockContext &context);
bool DecodeAutoResetBlock(const BlockContext &context, const QString &data);

// Dialling and voice-call parameters with the voice number (32 or 33 bytes).
QString EncodeVoiceBlock(const BlockContext &context);
bool DecodeVoiceBlock(const BlockContext &context, const QString &data);

// Incoming calls and the dial-tone frequency (10 bytes).
QString EncodeInCallsBlock(const BlockContext &context);
bool DecodeInCallsBlock(const BlockContext &context, const QString &data);

// The busy checks of the five numbers and the noise check (1 byte of flags).
QString EncodeBusyNoiseBlock(const BlockContext &context);
bool DecodeBusyNoiseBlock(const BlockContext &context, const QString &data);

// The common internal code and the event numbers 115-121 (16 bytes).
QString EncodeSystemEventsBlock(const BlockContext &context);
bool DecodeSystemEventsBlock(const BlockContext &context, const QString &data);

// The group codes of both pairs, digits exchanged (2 bytes). A short text
// gives short codes.
QString EncodeGroupCodeBlock(const BlockContext &context);
bool DecodeGroupCodeBlock(const BlockContext &context, const QString &data);

// The panel's passivity time and the mandatory external events (6 bytes).
QString EncodePanelBlock(const BlockContext &context);
bool DecodePanelBlock(const BlockContext &context, const QString &data);

// The event numbers 113 and 114 (4 bytes); nothing of it is read back.
QString EncodeSecondSystemEventsBlock(const BlockContext &context);
bool DecodeSecondSystemEventsBlock(const BlockContext &context, const QString &data);

// The high-priority external events (4 bytes).
QString EncodeHighPriorityBlock(const BlockContext &context);
bool DecodeHighPriorityBlock(const BlockContext &context, const QString &data);

} // namespace sr5n
