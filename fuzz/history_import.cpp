// The history folders of earlier versions taken into the catalogue, on
// arbitrary files: the first line of the input is the file's name, the rest
// its bytes. A file is an entry when its name ends in ".snc" or it reads as a
// configuration; every entry is recorded byte for byte, under its source.
#include "FuzzSupport.h"

#include "catalog/CatalogStore.h"
#include "catalog/HistoryImport.h"
#include "config/ConfigurationFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace sr5n;

namespace {

// Keeps what is recorded; the import uses nothing else of a store.
class RecordingStore final : public CatalogStore
{
public:
    QList<NewCatalogEntry> recorded;

    QString location() const override { return QStringLiteral("fuzz"); }
    bool isReadOnly() const override { return false; }
    QString lastError() const override { return {}; }
    std::optional<CatalogEntry> record(const NewCatalogEntry &entry) override
    {
        recorded.append(entry);
        return CatalogEntry{};
    }
    std::optional<QList<CatalogEntry>> recordAll(const QList<NewCatalogEntry> &entries) override
    {
        recorded += entries;
        return QList<CatalogEntry>(entries.size());
    }
    Expected<QList<CatalogObject>> objects(const QString &, qsizetype, qsizetype) override
    {
        return QList<CatalogObject>();
    }
    Expected<qsizetype> objectCount(const QString &) override { return qsizetype(0); }
    std::optional<CatalogObject> object(const QString &) override { return std::nullopt; }
    Expected<QList<CatalogEntry>> timeline(const QString &) override
    {
        return QList<CatalogEntry>();
    }
    Expected<std::optional<CatalogEntry>> lastWrite(const QString &) override
    {
        return std::optional<CatalogEntry>();
    }
    std::optional<CatalogEntry> entry(const QString &) override { return std::nullopt; }
    std::optional<QByteArray> configuration(const QString &) override { return std::nullopt; }
    Expected<QList<CatalogEntry>> templates() override { return QList<CatalogEntry>(); }
    bool describeObject(const QString &, const QString &, const QString &, const QString &) override
    {
        return false;
    }
    ObjectEdit editObject(const CatalogObject &, const QString &, const QString &,
                          const QString &) override
    {
        return {};
    }
    bool mergeObjects(const QString &, const QString &) override { return false; }
    bool moveEntry(const QString &, const QString &) override { return false; }
    bool setTemplate(const QString &, const QString &) override { return false; }
    std::optional<QString> value(const QString &) override { return std::nullopt; }
    bool setValue(const QString &, const QString &) override { return false; }
};

// A name the file system takes: no folders, not empty, not too long.
QString fileName(QByteArray line)
{
    line.replace('/', '_').replace('\0', '_');
    QString name = QString::fromUtf8(line.left(100));
    if (name.isEmpty() || name == u"." || name == u"..")
        name = QStringLiteral("unnamed");
    return name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir folder;
    const QByteArray input = fuzz::bytesOf(data, size);
    const qsizetype newline = input.indexOf('\n');
    const QString name = fileName(newline < 0 ? input : input.left(newline));
    const QByteArray bytes = newline < 0 ? QByteArray() : input.mid(newline + 1);

    QDir history(folder.filePath(QStringLiteral("history")));
    history.removeRecursively();
    if (!QDir().mkpath(history.path()))
        fuzz::fail("no history folder");
    QFile file(history.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return 0; // a name this file system does not take
    file.close();
    const QString stored = QDir(history.path()).entryList(QDir::Files | QDir::Hidden).value(0);

    RecordingStore store;
    const HistoryImport::Result result = HistoryImport::run(store, history.path());
    QStringList entries, commands;
    const bool named = stored.endsWith(QStringLiteral(".snc"), Qt::CaseInsensitive);
    const bool entry = named || ReadConfigurationBytes(bytes, entries, commands);
    if (result.found != (entry ? 1 : 0) || result.recorded != result.found ||
        !result.failures.isEmpty() || store.recorded.size() != result.found)
        fuzz::fail("the history file is not taken as it is", stored.toUtf8());
    if (entry) {
        const NewCatalogEntry &recorded = store.recorded.constFirst();
        if (recorded.configuration != bytes)
            fuzz::fail("the history file is not recorded byte for byte");
        if (recorded.source != QStringLiteral("history:") + stored || !recorded.time.isValid())
            fuzz::fail("the history entry has no source or time", recorded.source.toUtf8());
    }
    return 0;
}
