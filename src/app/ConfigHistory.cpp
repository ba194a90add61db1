#include "app/ConfigHistory.h"

#include "config/ConfigurationFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <tuple>

namespace sr5n {

namespace {

const QString kDateTimeFormat = QStringLiteral("yyyy-MM-dd_HH-mm-ss");

struct OperationName {
    ConfigHistory::Operation operation;
    const char *word; // in the file name
    const char *text; // shown to the user
};

constexpr OperationName kOperations[] = {
    {ConfigHistory::Operation::Read, "read", "Чтение"},
    {ConfigHistory::Operation::Write, "write", "Запись"},
    {ConfigHistory::Operation::VerifiedWrite, "verified", "Запись с проверкой"},
};

const QRegularExpression &namePattern()
{
    static const QRegularExpression pattern(QStringLiteral(
        "^(\\d{4}-\\d{2}-\\d{2}_\\d{2}-\\d{2}-\\d{2})_(read|write|verified)_([A-Za-z0-9.-]+)_"
        "([0-9A-F]{1,4})_([0-9A-F]{1,4})(?:_(\\d+))?\\.snc$"));
    return pattern;
}

// An object number as a file name carries it: its hexadecimal digits, "0000" when none.
QString objectPart(const QString &object)
{
    QString digits;
    for (const QChar c : object.toUpper())
        if (digits.size() < 4 && (c.isDigit() || (c >= u'A' && c <= u'F')))
            digits += c;
    return digits.isEmpty() ? QStringLiteral("0000") : digits;
}

// The history files of a folder in the order they were kept: by the time at
// the start of their names (which sorts as text), then by copy number.
struct Kept {
    QString name;
    QString time;
    int copy = 0;
};

QList<Kept> keptFiles(const QString &folder)
{
    QList<Kept> found;
    const QStringList names =
        QDir(folder).entryList({QStringLiteral("*.snc")}, QDir::Files | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const QRegularExpressionMatch match = namePattern().match(name);
        if (match.hasMatch())
            found.append({name, match.captured(1), match.captured(6).toInt()});
    }
    std::sort(found.begin(), found.end(), [](const Kept &a, const Kept &b) {
        return std::tie(a.time, a.copy, a.name) < std::tie(b.time, b.copy, b.name);
    });
    return found;
}

} // namespace

ConfigHistory::ConfigHistory(QString folder) : m_folder(std::move(folder)) {}

QString ConfigHistory::defaultFolder()
{
    // ~/.local/share/sr5n-configurator/history for the program.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return QDir(data).filePath(QStringLiteral("history"));
}

QString ConfigHistory::operationText(Operation operation)
{
    for (const OperationName &name : kOperations)
        if (name.operation == operation)
            return QString::fromUtf8(name.text);
    return {};
}

QString ConfigHistory::timeText(const QDateTime &time)
{
    return time.toString(u"dd.MM.yyyy HH:mm:ss");
}

QString ConfigHistory::describe(const Entry &entry)
{
    return QStringLiteral("%1, %2, порт %3")
        .arg(operationText(entry.operation), timeText(entry.time), entry.port);
}

QString ConfigHistory::portPart(const QString &port)
{
    QString text = port.startsWith(QLatin1String("/dev/")) ? port.mid(5) : port;
    for (QChar &c : text)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'.' && c != u'-')
            c = u'-';
    return text.isEmpty() ? QStringLiteral("-") : text;
}

std::optional<ConfigHistory::Entry> ConfigHistory::parse(const QString &fileName)
{
    const QRegularExpressionMatch match = namePattern().match(fileName);
    if (!match.hasMatch())
        return std::nullopt;
    Entry entry;
    entry.time = QDateTime::fromString(match.captured(1), kDateTimeFormat);
    if (!entry.time.isValid())
        return std::nullopt;
    for (const OperationName &name : kOperations)
        if (match.captured(2) == QLatin1String(name.word))
            entry.operation = name.operation;
    entry.port = match.captured(3);
    entry.objects[0] = match.captured(4);
    entry.objects[1] = match.captured(5);
    entry.path = fileName;
    return entry;
}

QString ConfigHistory::fileName(Operation operation, const QString &port, const QString &object1,
                                const QString &object2, const QDateTime &time, int copy) const
{
    QString word;
    for (const OperationName &name : kOperations)
        if (name.operation == operation)
            word = QString::fromLatin1(name.word);
    QString name = time.toString(kDateTimeFormat) + u'_' + word + u'_' + portPart(port) + u'_' +
                   objectPart(object1) + u'_' + objectPart(object2);
    if (copy > 1)
        name += u'_' + QString::number(copy);
    return name + QStringLiteral(".snc");
}

std::optional<QString> ConfigHistory::keep(Operation operation, const QString &port,
                                           const QString &object1, const QString &object2,
                                           const QStringList &data, const QStringList &commands,
                                           const QDateTime &time)
{
    const QDir folder(m_folder);
    if (m_folder.isEmpty() || !folder.mkpath(QStringLiteral(".")))
        return std::nullopt;
    // Those kept in the same second are numbered in the order they were kept.
    const QString timeText = time.toString(kDateTimeFormat);
    int copy = 1;
    for (const Kept &kept : keptFiles(m_folder))
        copy += kept.time == timeText ? 1 : 0;
    QString path;
    do
        path = folder.filePath(fileName(operation, port, object1, object2, time, copy++));
    while (QFileInfo::exists(path));
    if (!WriteConfigurationFile(path, data, commands))
        return std::nullopt;
    removeOldest();
    return path;
}

void ConfigHistory::removeOldest() const
{
    const QList<Kept> kept = keptFiles(m_folder);
    const QDir folder(m_folder);
    for (qsizetype i = 0; i < kept.size() - Limit; ++i)
        QFile::remove(folder.filePath(kept.at(i).name));
}

QList<ConfigHistory::Entry> ConfigHistory::entries() const
{
    const QList<Kept> kept = keptFiles(m_folder);
    const QDir folder(m_folder);
    QList<Entry> newestFirst;
    newestFirst.reserve(kept.size());
    for (auto it = kept.crbegin(); it != kept.crend(); ++it) {
        if (std::optional<Entry> entry = parse(it->name)) {
            entry->path = folder.filePath(it->name);
            newestFirst.append(*entry);
        }
    }
    return newestFirst;
}

} // namespace sr5n
