#include "catalog/HistoryImport.h"

#include "catalog/CatalogStore.h"
#include "catalog/ConfigurationFacts.h"
#include "config/ConfigurationFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

namespace sr5n {

namespace {

// The names the history gave its files.
const QRegularExpression &historyName()
{
    static const QRegularExpression pattern(QStringLiteral(
        "^(\\d{4}-\\d{2}-\\d{2}_\\d{2}-\\d{2}-\\d{2})_(read|write|verified)_([A-Za-z0-9.-]+)_"
        "([0-9A-Fa-f]{1,4})_([0-9A-Fa-f]{1,4})(?:_(\\d+))?\\.snc$"));
    return pattern;
}

CatalogOperation historyOperation(const QString &word)
{
    if (word == QLatin1String("write"))
        return CatalogOperation::Written;
    if (word == QLatin1String("verified"))
        return CatalogOperation::VerifiedWrite;
    return CatalogOperation::Read;
}

constexpr qsizetype kBatch = 250;

} // namespace

QString HistoryImport::defaultFolder()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return QDir(data).filePath(QStringLiteral("history"));
}

HistoryImport::Result HistoryImport::run(CatalogStore &store, const QString &folder)
{
    Result result;
    const QDir root(folder);
    QDirIterator files(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                       QDirIterator::Subdirectories);
    QStringList paths;
    while (files.hasNext())
        paths << files.next();
    paths.sort();
    // In batches: one transaction per file would take minutes for thousands.
    QList<NewCatalogEntry> batch;
    QStringList batchPaths;
    const auto flush = [&] {
        if (batch.isEmpty())
            return;
        if (store.recordAll(batch))
            result.recorded += static_cast<int>(batch.size());
        else
            result.failures << batchPaths;
        batch.clear();
        batchPaths.clear();
    };
    for (const QString &path : std::as_const(paths)) {
        const QFileInfo info(path);
        if (!info.isFile())
            continue; // a pipe or a device: never opened
        QFile file(path);
        const bool named = info.suffix().compare(QLatin1String("snc"), Qt::CaseInsensitive) == 0;
        if (!file.open(QIODevice::ReadOnly)) {
            if (named) {
                ++result.found;
                result.failures << path;
            }
            continue;
        }
        const QByteArray bytes = file.readAll();
        const std::optional<ConfigurationFacts> facts = ConfigurationFacts::ofFile(bytes);
        QStringList data, commands;
        if (!named && !ReadConfigurationBytes(bytes, data, commands))
            continue; // not a configuration: not an entry
        ++result.found;

        const QString relative = root.relativeFilePath(path);
        NewCatalogEntry entry;
        entry.configuration = bytes;
        entry.note = relative;
        entry.source = QStringLiteral("history:") + relative;
        entry.time = info.lastModified().toUTC();
        entry.operation = CatalogOperation::Imported;
        const QRegularExpressionMatch match = historyName().match(info.fileName());
        if (match.hasMatch()) {
            const QDateTime time =
                QDateTime::fromString(match.captured(1), QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
            if (time.isValid())
                entry.time = time.toUTC();
            entry.operation = historyOperation(match.captured(2));
            entry.port = match.captured(3);
            entry.codes = match.captured(4).toUpper() + u' ' + match.captured(5).toUpper();
        }
        if (facts) {
            entry.codes = facts->codes;
            entry.phones = facts->phones;
        }
        batch.append(entry);
        batchPaths << path;
        if (batch.size() >= kBatch)
            flush();
    }
    flush();
    return result;
}

} // namespace sr5n
