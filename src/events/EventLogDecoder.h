#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace sr5n {

// The communicator keeps two event logs of 128 two-byte records each: the
// low-priority log at memory 0-255 and the high-priority log at 256-511.
struct EventLogArea {
    int first;        // first memory address
    int last;         // last memory address, inclusive
    int statusOffset; // bytes into the status answer of command "0F"

    static EventLogArea highPriority() { return {256, 511, 4}; }
    static EventLogArea lowPriority() { return {0, 255, 0}; }
};

// The status of one log, from the answer to "0F".
struct EventLogStatus {
    int address = 0;  // memory address of the newest record
    int notSent1 = 0; // newest records not yet transmitted to pair 1
    int notSent2 = 0; // the same for pair 2
};

// Eight hex digits at 2 * offset of the status answer's data; nothing when
// the answer is too short or not hexadecimal there.
std::optional<EventLogStatus> ParseEventLogStatus(const QString &answerData, int statusOffset);

// One read request of log memory (command "01"): at most 60 bytes.
struct EventLogPiece {
    int address;
    int count;

    // The request data: four hex digits of the address, two of the count.
    QString requestData() const;
    // The bytes of a piece's answer (after the repeated address), or nothing
    // when the answer does not hold exactly `count` bytes: a short or long
    // piece would shift every later record onto the wrong address.
    std::optional<QString> bytesOf(const QString &answerData) const;
};

inline constexpr int EventLogPieceSize = 60;
// The pieces that read the memory from `first` to `last`.
QList<EventLogPiece> EventLogPieces(int first, int last);

// One record row of the log table, newest first.
struct EventLogRow {
    QString record; // the record's four hex digits
    QString name;
    QString zone;
    bool sentToPair1 = false;
    bool sentToPair2 = false;
    int number = 0; // 0 while unnumbered
};

struct DecodedEventLog {
    // Why the walk ended.
    enum class End {
        Empty,      // at an empty slot ("FF"), or the log text ended
        Unreadable, // at a record that is not a hex event and a decimal zone
        Unnamed,    // at an internal event without a name
        AllVisited, // every slot held a record
    };

    QList<EventLogRow> rows;
    // False when a record named an internal event without a name: the walk
    // ended there and the rows before it were left unnumbered.
    bool complete = true;
    End end = End::Empty;
    QString endRecord; // the record the walk ended at (Unreadable, Unnamed)
};

inline constexpr int EventLogMaxRows = 127;

// The title of a log ("Журнал событий с высоким приоритетом", "... с низким ...").
QString EventLogTitle(const EventLogArea &area);
// The columns of a log table: "№", "Принятое событие", "Зона", "Пара №1", "Пара №2".
QStringList EventLogColumnHeaders();

// Walks the log text (two hex digits per byte, starting at `first`) backwards
// from the status's current address, wrapping at the start, until an empty
// or unreadable record or until every slot was visited. Rows of records at
// and before the marker of a pair are marked as transmitted to that pair.
DecodedEventLog DecodeEventLog(const QString &log, int first, const EventLogStatus &status,
                               const QStringList &externalNames, const QStringList &internalNames);

} // namespace sr5n
