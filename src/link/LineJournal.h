#pragma once

#include "link/LineTrace.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QStringList>

#include <deque>

namespace sr5n {

// The trace of the line as text, one line an event, kept for the last
// operations within a bound (so many operations, so many bytes of text):
// the oldest operations go first, and an operation that alone outgrows the
// bound loses its earliest lines (their number is said in their place).
// Each line also goes to the sr5n.link logging category.
//
// A line: the milliseconds since the operation began, the port, the event
// and what it carried:
//     1234.5 мс  /dev/pts/4  →  :1162; [3A 31 31 36 32 3B] чтение часов (11), попытка 1 из 7
// The operation's first line gives its wall-clock start.
class LineJournal final : public QObject, public LineTrace
{
    Q_OBJECT

public:
    struct Limits {
        int operations = 20;
        qint64 bytes = 5 * 1024 * 1024;
    };

    struct Operation {
        quint64 id = 0;
        QString title;
        QString port; // without a password
        QDateTime started;
        QStringList lines; // the header first
        qint64 bytes = 0;  // what the lines take in memory
        qint64 droppedLines = 0;
        bool finished = false;
    };

    explicit LineJournal(QObject *parent = nullptr) : LineJournal(Limits(), parent) {}
    explicit LineJournal(Limits limits, QObject *parent = nullptr);

    void beginOperation(const QString &title, const QString &port) override;
    void record(const QString &port, Event event, QByteArrayView bytes,
                const QString &text) override;
    void endOperation(const QString &outcome) override;

    const std::deque<Operation> &operations() const { return m_operations; }
    // The operation of this id; null when it is no longer kept.
    const Operation *operation(quint64 id) const;
    const Limits &limits() const { return m_limits; }
    // What all the lines kept take in memory.
    qint64 bytes() const { return m_bytes; }
    // One operation as text, its lines each ending in a line break.
    static QString text(const Operation &operation);
    // Every operation kept, oldest first, a blank line between them.
    QString text() const;

signals:
    void operationBegun(quint64 id);
    void lineAdded(quint64 id, const QString &line);
    void operationEnded(quint64 id);
    // Older operations or lines were let go to keep within the bound.
    void trimmed();

private:
    void addLine(const QString &line);
    void keepWithinBound();
    // The port as it may be shown: the last one asked for, without a password.
    const QString &shownPort(const QString &port);

    Limits m_limits;
    std::deque<Operation> m_operations;
    qint64 m_bytes = 0;
    quint64 m_nextId = 1;
    QElapsedTimer m_clock;
    QString m_portAsked;
    QString m_portShown;
};

} // namespace sr5n
