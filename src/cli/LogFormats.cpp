#include "cli/LogFormats.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace sr5n {

namespace {

QString yesNo(bool on)
{
    return on ? QStringLiteral("да") : QStringLiteral("нет");
}

QStringList cellsOf(const EventLogRow &row)
{
    return {row.number > 0 ? QString::number(row.number) : QString(), row.name, row.zone,
            yesNo(row.sentToPair1), yesNo(row.sentToPair2)};
}

// Why a log's walk ended early, for the reader; empty when it did not.
QString endNote(const DecodedEventLog &log)
{
    switch (log.end) {
    case DecodedEventLog::End::Unreadable:
        return QStringLiteral("Чтение журнала остановлено на записи %1: запись не читается, "
                              "более старые записи не показаны")
            .arg(log.endRecord);
    case DecodedEventLog::End::Unnamed:
        return QStringLiteral("Чтение журнала остановлено на записи %1: внутреннее событие без "
                              "названия, более старые записи не показаны, записи не пронумерованы")
            .arg(log.endRecord);
    case DecodedEventLog::End::Empty:
    case DecodedEventLog::End::AllVisited:
        break;
    }
    return QString();
}

QString endWord(DecodedEventLog::End end)
{
    switch (end) {
    case DecodedEventLog::End::Unreadable:
        return QStringLiteral("unreadable");
    case DecodedEventLog::End::Unnamed:
        return QStringLiteral("unnamed");
    case DecodedEventLog::End::AllVisited:
        return QStringLiteral("full");
    case DecodedEventLog::End::Empty:
        break;
    }
    return QStringLiteral("empty");
}

QString csvField(const QString &text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n'))
        return text;
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString textTable(const QList<ReadEventLog> &logs)
{
    const QStringList headers = EventLogColumnHeaders();
    QString out;
    for (const ReadEventLog &read : logs) {
        QList<QStringList> lines{headers};
        for (const EventLogRow &row : read.log.rows)
            lines << cellsOf(row);
        QList<qsizetype> widths(headers.size(), 0);
        for (const QStringList &line : lines)
            for (qsizetype c = 0; c < line.size(); ++c)
                widths[c] = qMax(widths[c], line.at(c).size());
        out += EventLogTitle(read.area) + u'\n';
        for (const QStringList &line : lines) {
            QString text;
            for (qsizetype c = 0; c < line.size(); ++c)
                text += (c == 0 ? line.at(c).rightJustified(widths[c])
                                : QStringLiteral("  ") + line.at(c).leftJustified(widths[c]));
            // Only the right end is trimmed: an unnumbered row keeps its column.
            while (text.endsWith(u' '))
                text.chop(1);
            out += text.trimmed().isEmpty() ? QString() : text + u'\n';
        }
        if (read.log.rows.isEmpty())
            out += QStringLiteral("(записей нет)\n");
        if (const QString note = endNote(read.log); !note.isEmpty())
            out += QStringLiteral("(") + note + QStringLiteral(")\n");
        out += u'\n';
    }
    return out;
}

QString csvTable(const QList<ReadEventLog> &logs)
{
    QStringList header{QStringLiteral("Журнал")};
    header << EventLogColumnHeaders();
    QString out;
    auto line = [&out](const QStringList &fields) {
        QStringList quoted;
        for (const QString &field : fields)
            quoted << csvField(field);
        out += quoted.join(u',') + QStringLiteral("\r\n");
    };
    line(header);
    for (const ReadEventLog &read : logs) {
        for (const EventLogRow &row : read.log.rows)
            line(QStringList{EventLogTitle(read.area)} + cellsOf(row));
    }
    return out;
}

QString jsonTable(const QList<ReadEventLog> &logs)
{
    const QStringList headers = EventLogColumnHeaders();
    QJsonArray array;
    for (const ReadEventLog &read : logs) {
        QJsonArray rows;
        for (const EventLogRow &row : read.log.rows) {
            QJsonObject object;
            if (row.number > 0)
                object.insert(headers.at(0), row.number);
            object.insert(headers.at(1), row.name);
            object.insert(headers.at(2), row.zone);
            object.insert(headers.at(3), row.sentToPair1);
            object.insert(headers.at(4), row.sentToPair2);
            object.insert(QStringLiteral("record"), row.record);
            rows.append(object);
        }
        QJsonObject log{
            {QStringLiteral("title"), EventLogTitle(read.area)},
            {QStringLiteral("complete"), read.log.end != DecodedEventLog::End::Unreadable &&
                                             read.log.end != DecodedEventLog::End::Unnamed},
            {QStringLiteral("numbered"), read.log.complete},
            {QStringLiteral("end"), endWord(read.log.end)},
            {QStringLiteral("rows"), rows}};
        if (!read.log.endRecord.isEmpty())
            log.insert(QStringLiteral("endRecord"), read.log.endRecord);
        array.append(log);
    }
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
}

} // namespace

std::optional<LogFormat> ParseLogFormat(const QString &word)
{
    if (word == u"text")
        return LogFormat::Text;
    if (word == u"csv")
        return LogFormat::Csv;
    if (word == u"json")
        return LogFormat::Json;
    return std::nullopt;
}

QString FormatEventLogs(const QList<ReadEventLog> &logs, LogFormat format)
{
    switch (format) {
    case LogFormat::Csv:
        return csvTable(logs);
    case LogFormat::Json:
        return jsonTable(logs);
    case LogFormat::Text:
        break;
    }
    return textTable(logs);
}

} // namespace sr5n
