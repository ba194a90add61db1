#pragma once

#include "RequestSet.h"

#include "link/MessageCollector.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>

#include <functional>
#include <optional>

namespace sr5n::sim {

// Faults injected into the answers, by request number (counted from 1).
struct Faults {
    RequestSet silent;       // no answer at all
    RequestSet busy;         // "FFFF", the request is not carried out
    RequestSet memoryFault;  // "FF01"
    RequestSet clockFault;   // "FF02"
    RequestSet emptyAnswer;  // the body "" (frame :00;)
    RequestSet wrongCommand; // the answer carries another command
    RequestSet badChecksum;  // the checksum is off by one
    RequestSet lowerCase;    // the answer is written in lower case
    RequestSet dropWrite;    // a write is answered as done but not stored
    RequestSet garbage;      // stray characters instead of an answer: not a communicator
    RequestSet late;         // the answer is held back until another request comes in
    bool noise = false;      // stray characters before every answer
    int hangUpAfter = -1;    // after this many requests the line is closed
    // Answer data given instead of the device's own, by command ("11" -> "303030").
    QMap<QByteArray, QByteArray> answerData;
};

// What the communicator sends back for one request.
struct Reply {
    QByteArray late;  // answers held back from an earlier request, to go out at once
    QByteArray bytes; // may be empty: no answer
    bool hangUp = false;
};

// The communicator as seen from the line: it takes request frames and answers
// them from its own memory, which holds the configuration blocks, the event-code
// memory with both event logs, the log status, the clock and the self-test mask.
class SimulatedCommunicator
{
public:
    static constexpr int MemorySize = 0x8000;
    static constexpr int LogAreaSize = 512;

    // Milliseconds from any fixed point; the clock runs on it.
    using TickSource = std::function<qint64()>;
    explicit SimulatedCommunicator(TickSource ticks = {});

    Faults faults;
    // Called with each request received and with each warning, one line each.
    std::function<void(const QString &)> onRequest;
    std::function<void(const QString &)> onWarning;

    // Bytes from the line; returns the replies of the requests they completed.
    QList<Reply> receive(QByteArrayView bytes);
    // One message (the text between ":" and ";").
    Reply handleMessage(const QByteArray &message);
    int requestCount() const { return m_requests; }

    // Block data by write or read command; empty for an unknown command.
    QByteArray block(const QByteArray &command) const;
    bool setBlock(const QByteArray &command, const QByteArray &data);
    QByteArray memory(int address, int count) const;
    bool setMemory(int address, const QByteArray &bytes);
    QByteArray logStatus() const { return m_logStatus; }
    bool setLogStatus(const QByteArray &status);
    int clockSeconds() const;
    void setClockSeconds(int secondsOfDay);
    quint8 selfTestMask() const { return m_selfTestMask; }
    void setSelfTestMask(quint8 mask) { m_selfTestMask = mask; }
    void eraseLogs();

    QJsonObject toJson() const;
    // Loads what the object holds (every member optional); false and a reason
    // on the first bad entry.
    bool loadJson(const QJsonObject &state, QString *error);

    // The block table: write command, read command, default data, data sizes.
    struct BlockInfo {
        const char *write;
        const char *read;
        const char *defaultData;
        int size;
        int otherSize; // 0 when there is one size only
    };
    static const QList<BlockInfo> &blockTable();

private:
    // The answer to request k, faults included.
    Reply answer(int k, const QByteArray &message);
    std::optional<QByteArray> execute(const QByteArray &command, const QByteArray &data);
    const BlockInfo *findBlock(const QByteArray &command, bool *isWrite) const;
    // A command that stores something: a block write, a memory write, the clock.
    bool storesData(const QByteArray &command) const;
    QByteArray noise();
    void warn(const QString &text) const;

    TickSource m_ticks;
    MessageCollector m_collector;
    int m_requests = 0;
    QByteArray m_heldRequest;              // the request whose answers are held back
    QByteArray m_heldBack;                 // late answers not sent yet
    QMap<QByteArray, QByteArray> m_blocks; // by write command
    QByteArray m_memory;
    QByteArray m_logStatus;
    int m_clockBase = 0;
    qint64 m_clockSetAt = 0;
    quint8 m_selfTestMask = 0;
    quint32 m_noiseSeed = 12345;
};

} // namespace sr5n::sim
