#pragma once

#include "config/BlockContext.h"

#include <QStringList>

namespace sr5n {

// Where the event codes live in the communicator: per pair, a 256-byte page for
// each of the 60 external events, from the pair's base address, holding the 70
// zone codes in seven chunks of ten codes at offsets 00, 20, ... C0; and the
// internal code record of ten codes at offset E0 of the first page.
namespace EventCodeLayout {
inline constexpr int Pair1Base = 0x0500;
inline constexpr int Pair2Base = 0x4100;
inline constexpr int LastPair1Address = 0x40FF; // higher addresses are pair 2's
inline constexpr int EventPages = 60;
inline constexpr int PageSize = 0x100;
inline constexpr int ChunksPerEvent = 7;
inline constexpr int CodesPerChunk = 10;
inline constexpr int ChunkSize = 0x20;
inline constexpr int InternalRecordOffset = 0xE0;
// The first code index that names the internal code record.
inline constexpr int InternalRecordIndex = 70;
// Requests per pair: the internal record and the chunks of every event.
inline constexpr int RequestsPerPair = 1 + EventPages * ChunksPerEvent;

int baseAddress(int pair);
} // namespace EventCodeLayout

// The event-code reads of both pairs, in request order: address + "14".
void BuildEventCodeReads(QStringList &pair1, QStringList &pair2);
// The event-code writes of both pairs, in request order: address + ten codes.
void BuildEventCodeWrites(const BlockContext &context, QStringList &pair1, QStringList &pair2);
// Puts the codes of the answers (address + codes) into the tables and the test
// code fields. Nothing is decoded when either pair has no answers. False at the
// first answer whose address, codes or code positions are wrong; the answers
// before it stay decoded.
bool DecodeEventCodes(const BlockContext &context, const QStringList &pair1,
                      const QStringList &pair2);

} // namespace sr5n
