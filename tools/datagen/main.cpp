// sr5n-datagen KIND SOURCE OUTPUT [--count N]
//
// KIND is one of:
//   events     lines "NUMBER NAME": an event table file (sintevs, cintevs, extevs)
//   loglist    one event name per line: a log event list file (lgintevs, lgextevs)
//   protocols  lines "RECORD NAME", RECORD being 38 hexadecimal digits: prtcls.bin
// Blank lines and lines starting with "#" are skipped. With --count the source
// must hold exactly N entries.

#include "common/DataFile.h"
#include "common/DecimalNumber.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QTextStream>

#include <cstdio>
#include <optional>

namespace {

struct Entry {
    QString key; // event number or protocol record; empty for log names
    QString name;
};

int fail(const QString &message)
{
    std::fprintf(stderr, "sr5n-datagen: %s\n", qPrintable(message));
    return 1;
}

std::optional<QList<Entry>> readSource(const QString &path, bool keyed, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        error = QStringLiteral("cannot open %1").arg(path);
        return std::nullopt;
    }
    QList<Entry> entries;
    int lineNumber = 0;
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        ++lineNumber;
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (!keyed) {
            entries.append({QString(), line});
            continue;
        }
        const qsizetype space = line.indexOf(QRegularExpression(QStringLiteral("\\s")));
        if (space < 0) {
            error = QStringLiteral("%1:%2: a key and a name are needed").arg(path).arg(lineNumber);
            return std::nullopt;
        }
        entries.append({line.left(space), line.mid(space).trimmed()});
    }
    return entries;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    std::optional<qsizetype> expected;
    const qsizetype countAt = args.indexOf(QStringLiteral("--count"));
    if (countAt >= 0 && countAt + 1 < args.size()) {
        expected = args[countAt + 1].toLongLong();
        args.remove(countAt, 2);
    }
    if (args.size() != 3)
        return fail(QStringLiteral(
            "usage: sr5n-datagen events|loglist|protocols SOURCE OUTPUT [--count N]"));

    const QString kind = args[0];
    const bool events = kind == QLatin1String("events");
    const bool logList = kind == QLatin1String("loglist");
    const bool protocols = kind == QLatin1String("protocols");
    if (!events && !logList && !protocols)
        return fail(QStringLiteral("unknown kind %1").arg(kind));

    QString error;
    const std::optional<QList<Entry>> entries = readSource(args[1], !logList, error);
    if (!entries)
        return fail(error);
    if (expected && entries->size() != *expected)
        return fail(QStringLiteral("%1 holds %2 entries, %3 expected")
                        .arg(args[1])
                        .arg(entries->size())
                        .arg(*expected));

    static const QRegularExpression record(QStringLiteral("^[0-9A-F]{38}$"));
    for (const Entry &entry : *entries) {
        if (events && !sr5n::ParseDecimal(entry.key))
            return fail(QStringLiteral("%1: event number %2 is not a whole number")
                            .arg(args[1], entry.key));
        if (protocols && !record.match(entry.key).hasMatch())
            return fail(QStringLiteral("%1: %2 is not a protocol record").arg(args[1], entry.key));
    }

    sr5n::DataFileWriter writer(events    ? sr5n::FileTypes::EventTable
                                : logList ? sr5n::FileTypes::LogEventList
                                          : sr5n::FileTypes::ProtocolList);
    bool ok = writer.open(args[2]) && writer.writeNumber(entries->size());
    for (const Entry &entry : *entries) {
        if (events)
            ok = ok && writer.writeText(entry.key) && writer.writeText(entry.name);
        else if (protocols)
            ok = ok && writer.writeText(entry.name) && writer.writeText(entry.key);
        else
            ok = ok && writer.writeText(entry.name);
    }
    if (!writer.commit() || !ok)
        return fail(QStringLiteral("cannot write %1").arg(args[2]));
    return 0;
}
