#include "link/LineJournal.h"

#include "common/LogCategories.h"
#include "common/SecretText.h"

namespace sr5n {

namespace {

// What a line takes in memory, near enough.
qint64 cost(const QString &line)
{
    return qint64(line.size()) * qint64(sizeof(QChar)) + 16;
}

QString startText(const QDateTime &started)
{
    return started.toOffsetFromUtc(started.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

} // namespace

LineJournal::LineJournal(Limits limits, QObject *parent) : QObject(parent), m_limits(limits)
{
    m_limits.operations = qMax(1, m_limits.operations);
    m_limits.bytes = qMax<qint64>(4096, m_limits.bytes);
}

const QString &LineJournal::shownPort(const QString &port)
{
    if (port != m_portAsked || m_portShown.isEmpty()) {
        m_portAsked = port;
        m_portShown = WithoutPassword(port);
    }
    return m_portShown;
}

void LineJournal::beginOperation(const QString &title, const QString &port)
{
    if (!m_operations.empty() && !m_operations.back().finished)
        endOperation(QStringLiteral("не завершена"));
    Operation operation;
    operation.id = m_nextId++;
    operation.title = title;
    operation.port = shownPort(port);
    operation.started = QDateTime::currentDateTime();
    m_clock.start();
    m_operations.push_back(std::move(operation));
    emit operationBegun(m_operations.back().id);
    const Operation &begun = m_operations.back();
    addLine(QStringLiteral("=== %1 · порт %2 · начало %3 ===")
                .arg(begun.title, begun.port, startText(begun.started)));
}

void LineJournal::record(const QString &port, Event event, QByteArrayView bytes,
                         const QString &text)
{
    if (m_operations.empty() || m_operations.back().finished)
        beginOperation(QStringLiteral("Обмен с коммуникатором"), port);
    QString line = QStringLiteral("%1 мс  %2  %3")
                       .arg(double(m_clock.nsecsElapsed()) / 1e6, 9, 'f', 1)
                       .arg(shownPort(port), LineTraceText::label(event));
    switch (event) {
    case Event::Sent:
    case Event::Received:
        line += QStringLiteral("  %1  [%2]")
                    .arg(LineTraceText::readable(bytes), LineTraceText::hex(bytes));
        break;
    case Event::Answer:
        line += QStringLiteral("  %1").arg(LineTraceText::readable(bytes));
        break;
    default:
        break;
    }
    if (!text.isEmpty())
        line += QStringLiteral("  ") + text;
    addLine(line);
}

void LineJournal::endOperation(const QString &outcome)
{
    if (m_operations.empty() || m_operations.back().finished)
        return;
    const Operation &operation = m_operations.back();
    addLine(QStringLiteral("%1 мс  %2  ИТОГ  %3")
                .arg(double(m_clock.nsecsElapsed()) / 1e6, 9, 'f', 1)
                .arg(operation.port, QString(outcome).replace(u'\n', QLatin1String(" / "))));
    m_operations.back().finished = true;
    emit operationEnded(m_operations.back().id);
}

const LineJournal::Operation *LineJournal::operation(quint64 id) const
{
    for (const Operation &operation : m_operations)
        if (operation.id == id)
            return &operation;
    return nullptr;
}

QString LineJournal::text(const Operation &operation)
{
    QString text;
    for (const QString &line : operation.lines) {
        text += line;
        text += u'\n';
    }
    return text;
}

QString LineJournal::text() const
{
    QStringList parts;
    for (const Operation &operation : m_operations)
        parts << text(operation);
    return parts.join(u'\n');
}

void LineJournal::addLine(const QString &given)
{
    Operation &operation = m_operations.back();
    // A port named with a password may be named again in what the
    // components say (their messages): never with it.
    QString line = given;
    if (m_portShown != m_portAsked && !m_portAsked.isEmpty())
        line.replace(m_portAsked, m_portShown);
    operation.lines.append(line);
    const qint64 bytes = cost(line);
    operation.bytes += bytes;
    m_bytes += bytes;
    qCDebug(lcLink).noquote() << line;
    emit lineAdded(operation.id, line);
    keepWithinBound();
}

void LineJournal::keepWithinBound()
{
    bool trimmedAny = false;
    while (m_operations.size() > std::size_t(m_limits.operations) ||
           (m_bytes > m_limits.bytes && m_operations.size() > 1)) {
        m_bytes -= m_operations.front().bytes;
        m_operations.pop_front();
        trimmedAny = true;
    }
    if (m_bytes > m_limits.bytes) {
        // One operation alone outgrew the bound: its earliest lines go (the
        // header stays), down to three quarters of the bound at once.
        Operation &operation = m_operations.back();
        const bool marked = operation.droppedLines > 0;
        const qsizetype first = marked ? 2 : 1;
        qsizetype count = 0;
        qint64 freed = 0;
        while (first + count < operation.lines.size() - 1 &&
               m_bytes - freed > m_limits.bytes * 3 / 4) {
            freed += cost(operation.lines.at(first + count));
            ++count;
        }
        if (count > 0) {
            operation.lines.remove(first, count);
            operation.droppedLines += count;
            const QString mark =
                QStringLiteral("… первые строки журнала этой операции (%1) не сохранены: "
                               "журнал ограничен %2 КБ …")
                    .arg(operation.droppedLines)
                    .arg(m_limits.bytes / 1024);
            if (marked) {
                freed += cost(operation.lines.at(1)) - cost(mark);
                operation.lines[1] = mark;
            } else {
                freed -= cost(mark);
                operation.lines.insert(1, mark);
            }
            operation.bytes -= freed;
            m_bytes -= freed;
            trimmedAny = true;
        }
    }
    if (trimmedAny)
        emit trimmed();
}

} // namespace sr5n
