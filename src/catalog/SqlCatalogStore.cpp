#include "catalog/SqlCatalogStore.h"

#include "catalog/CatalogSchema.h"
#include "catalog/ObjectCatalog.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>

#include <atomic>

#include <limits>

namespace sr5n {

namespace {

const QString kEntryColumns = QStringLiteral(
    "id, object_id, time, operation, port, user_name, version, note, hash, codes, phones, "
    "template_name, source");
const QString kObjectColumns = QStringLiteral(
    "id, codes, name, address, notes, phones, created, last_time, last_operation, last_entry, "
    "edited_by, edited_at");
// The columns above by name, in their order.
enum EntryColumn {
    EntryId,
    EntryObject,
    EntryTime,
    EntryOperation,
    EntryPort,
    EntryUser,
    EntryVersion,
    EntryNote,
    EntryHash,
    EntryCodes,
    EntryPhones,
    EntryTemplate,
    EntrySource,
};
enum ObjectColumn {
    ObjectId,
    ObjectCodes,
    ObjectName,
    ObjectAddress,
    ObjectNotes,
    ObjectPhones,
    ObjectCreated,
    ObjectLastTime,
    ObjectLastOperation,
    ObjectLastEntry,
    ObjectEditedBy,
    ObjectEditedAt,
};

// `text` with the LIKE wildcards taken literally ('\' escapes).
QString likePattern(const QString &text)
{
    QString escaped;
    for (const QChar c : text) {
        if (c == u'%' || c == u'_' || c == u'\\')
            escaped += u'\\';
        escaped += c;
    }
    return u'%' + escaped + u'%';
}

// A text bound as a value: a null QString would be bound as NULL.
QVariant text(const QString &value)
{
    return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
}

QString textOrEmpty(const QVariant &value)
{
    return value.isNull() ? QString() : value.toString();
}

} // namespace

SqlCatalogStore::SqlCatalogStore(const QString &connectionName, std::unique_ptr<SqlDialect> dialect,
                                 QString location, bool readOnly)
    : m_connectionName(connectionName), m_db(QSqlDatabase::database(connectionName, false)),
      m_dialect(std::move(dialect)), m_location(std::move(location)), m_readOnly(readOnly)
{
}

SqlCatalogStore::~SqlCatalogStore()
{
    m_prepared.clear();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

QString SqlCatalogStore::timeText(const QDateTime &time)
{
    return time.toUTC().toString(Qt::ISODateWithMs);
}

QDateTime SqlCatalogStore::timeFrom(const QVariant &value)
{
    if (value.isNull())
        return {};
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime().toUTC();
    QDateTime time = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
    return time.toUTC();
}

namespace {
std::atomic<qint64> statementCounter{0};
} // namespace

qint64 SqlCatalogStore::statementsRun()
{
    return statementCounter.load();
}

void SqlCatalogStore::countStatements(qint64 count)
{
    statementCounter += count;
}

bool SqlCatalogStore::fail(const QString &error)
{
    m_lastError = error;
    return false;
}

bool SqlCatalogStore::refuseReadOnly()
{
    return fail(QStringLiteral(
        "база открыта только для чтения: она создана более новой версией программы"));
}

QSqlQuery *SqlCatalogStore::run(const QString &sql, const QVariantList &values)
{
    const ConnectionWatch watching = m_dialect->watch(m_db);
    auto kept = m_prepared.find(sql);
    if (kept == m_prepared.end()) {
        auto query = std::make_unique<QSqlQuery>(m_db);
        query->setForwardOnly(true);
        if (!query->prepare(sql)) {
            fail(m_dialect->problemText(query->lastError()));
            return nullptr;
        }
        kept = m_prepared.emplace(sql, std::move(query)).first;
    }
    QSqlQuery &query = *kept->second;
    for (qsizetype i = 0; i < values.size(); ++i)
        query.bindValue(int(i), values.at(i));
    countStatements(1);
    if (query.exec())
        return &query;
    fail(m_dialect->problemText(query.lastError()));
    query.finish();
    return nullptr;
}

bool SqlCatalogStore::execute(const QString &sql, const QVariantList &values, int *affected)
{
    QSqlQuery *query = run(sql, values);
    if (!query)
        return false;
    if (affected)
        *affected = query->numRowsAffected();
    query->finish();
    return true;
}

bool SqlCatalogStore::select(const QString &sql, const QVariantList &values,
                             const std::function<void(const QSqlQuery &)> &row)
{
    // The rows may come from the server one at a time: their wait is watched too.
    const ConnectionWatch watching = m_dialect->watch(m_db);
    QSqlQuery *query = run(sql, values);
    if (!query)
        return false;
    while (query->next())
        row(*query);
    // Done with: a statement left open would hold an old view of the database.
    query->finish();
    return true;
}

bool SqlCatalogStore::begin()
{
    if (m_readOnly)
        return refuseReadOnly();
    QString error;
    countStatements(1);
    return m_dialect->beginWrite(m_db, error) || fail(error);
}

bool SqlCatalogStore::lockObject(const QString &key)
{
    const QString lock = m_dialect->objectLock();
    return lock.isEmpty() || execute(lock, {key});
}

bool SqlCatalogStore::commit()
{
    // Where a full disk shows in write-ahead logging: the entry is then left out whole.
    const ConnectionWatch watching = m_dialect->watch(m_db);
    QSqlQuery query(m_db);
    countStatements(1);
    if (query.exec(QStringLiteral("COMMIT")))
        return true;
    fail(m_dialect->problemText(query.lastError()));
    rollback();
    return false;
}

void SqlCatalogStore::rollback()
{
    QString ignored;
    countStatements(1);
    ExecuteAll(m_db, {QStringLiteral("ROLLBACK")}, ignored);
}

std::optional<QString> SqlCatalogStore::followMerges(QString id)
{
    // A chain of merges is short; the bound stops a loop a damaged file could hold.
    for (int step = 0; step < 64; ++step) {
        std::optional<QVariant> into;
        if (!select(QStringLiteral("SELECT merged_into FROM objects WHERE id = ?"), {id},
                    [&](const QSqlQuery &row) { into = row.value(0); }) ||
            !into)
            return std::nullopt;
        if (into->isNull())
            return id;
        id = into->toString();
    }
    return id;
}

std::optional<QString> SqlCatalogStore::objectWithCodes(const QString &codes)
{
    std::optional<QVariantList> found;
    if (!select(QStringLiteral("SELECT id, merged_into FROM objects WHERE codes = ? "
                               "ORDER BY created, id LIMIT 1"),
                {text(codes)}, [&](const QSqlQuery &row) {
                    found = QVariantList{row.value(0), row.value(1)};
                }))
        return std::nullopt;
    if (!found)
        return QString();
    if (found->at(1).isNull())
        return found->at(0).toString();
    return followMerges(found->at(1).toString());
}

bool SqlCatalogStore::refreshObject(const QString &objectId)
{
    // The object's texts and its latest entry, in one statement.
    struct Now {
        QString codes, name, address, notes, phones;
        QVariant entry, time, operation;
        QString entryCodes, entryPhones;
    };
    std::optional<Now> now;
    if (!select(QStringLiteral("SELECT o.codes, o.name, o.address, o.notes, o.phones, e.id, "
                               "e.time, e.operation, e.codes, e.phones FROM objects o LEFT JOIN "
                               "entries e ON e.id = (SELECT id FROM entries WHERE object_id = o.id "
                               "ORDER BY time DESC, id DESC LIMIT 1) WHERE o.id = ?"),
                {objectId}, [&](const QSqlQuery &row) {
                    now = Now{row.value(0).toString(),
                              row.value(1).toString(),
                              row.value(2).toString(),
                              row.value(3).toString(),
                              row.value(4).toString(),
                              row.value(5),
                              row.value(6),
                              row.value(7),
                              row.value(8).toString(),
                              row.value(9).toString()};
                }))
        return false;
    if (!now)
        return fail(QStringLiteral("объекта %1 нет в базе").arg(objectId));
    const bool hasEntry = !now->entry.isNull();
    const QString codes = hasEntry ? now->entryCodes : now->codes;
    const QString phones = hasEntry ? now->entryPhones : now->phones;
    return execute(QStringLiteral("UPDATE objects SET codes = ?, phones = ?, last_time = ?, "
                                  "last_operation = ?, last_entry = ?, search = ? WHERE id = ?"),
                   {text(codes), text(phones), now->time, now->operation, now->entry,
                    CatalogSearchText(codes, now->name, now->address, now->notes, phones),
                    objectId});
}

std::optional<CatalogEntry> SqlCatalogStore::add(const NewCatalogEntry &entry)
{
    const auto failed = []() -> std::optional<CatalogEntry> { return std::nullopt; };
    if (!lockObject(entry.objectId.isEmpty() ? entry.codes : entry.objectId))
        return failed();
    if (!entry.source.isEmpty()) {
        QString known;
        if (!select(QStringLiteral("SELECT id FROM entries WHERE source = ?"), {entry.source},
                    [&](const QSqlQuery &row) { known = row.value(0).toString(); }))
            return failed();
        if (!known.isEmpty())
            return this->entry(known);
    }
    const QString hash = ContentHash(entry.configuration);
    if (!execute(m_dialect->insertIgnoring(
                     QStringLiteral("configurations"),
                     {QStringLiteral("hash"), QStringLiteral("bytes"), QStringLiteral("size")},
                     QStringLiteral("hash")),
                 {hash, entry.configuration, entry.configuration.size()}))
        return failed();

    QString objectId = entry.objectId;
    if (objectId.isEmpty()) {
        const std::optional<QString> found = objectWithCodes(entry.codes);
        if (!found)
            return failed();
        objectId = *found;
        if (!objectId.isEmpty() && !lockObject(objectId))
            return failed();
    } else if (!object(objectId)) {
        fail(QStringLiteral("объекта %1 нет в базе").arg(objectId));
        return failed();
    }
    if (objectId.isEmpty()) {
        objectId = NewCatalogId();
        if (!execute(QStringLiteral("INSERT INTO objects (id, codes, phones, created, search) "
                                    "VALUES (?, ?, ?, ?, ?)"),
                     {objectId, text(entry.codes), text(entry.phones), timeText(entry.time),
                      CatalogSearchText(entry.codes, {}, {}, {}, entry.phones)}))
            return failed();
    }

    CatalogEntry added;
    added.id = NewCatalogId();
    added.objectId = objectId;
    added.time = entry.time.toUTC();
    added.operation = entry.operation;
    added.port = entry.port;
    added.user = entry.user;
    added.version = entry.version;
    added.note = entry.note;
    added.hash = hash;
    added.codes = entry.codes;
    added.phones = entry.phones;
    added.source = entry.source;
    const QVariant none(QMetaType::fromType<QString>());
    if (!execute(QStringLiteral("INSERT INTO entries (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                "?, ?, ?)")
                     .arg(kEntryColumns),
                 {added.id, added.objectId, timeText(added.time), OperationWord(added.operation),
                  text(added.port), text(added.user), text(added.version), text(added.note),
                  added.hash, text(added.codes), text(added.phones), none,
                  added.source.isEmpty() ? none : QVariant(added.source)}) ||
        !refreshObject(objectId))
        return failed();
    return added;
}

SqlCatalogStore::Transaction::Transaction(SqlCatalogStore &store)
    : m_store(store), m_open(store.begin())
{
}

SqlCatalogStore::Transaction::~Transaction()
{
    if (m_open)
        m_store.rollback();
}

bool SqlCatalogStore::Transaction::commit()
{
    // A commit that fails has rolled back.
    if (!m_open)
        return false;
    m_open = false;
    return m_store.commit();
}

std::optional<CatalogEntry> SqlCatalogStore::record(const NewCatalogEntry &entry)
{
    Transaction transaction(*this);
    if (!transaction.open())
        return std::nullopt;
    std::optional<CatalogEntry> added = add(entry);
    if (added && transaction.commit())
        return added;
    return std::nullopt;
}

std::optional<QList<CatalogEntry>> SqlCatalogStore::recordAll(const QList<NewCatalogEntry> &entries)
{
    Transaction transaction(*this);
    if (!transaction.open())
        return std::nullopt;
    QList<CatalogEntry> added;
    for (const NewCatalogEntry &entry : entries) {
        std::optional<CatalogEntry> one = add(entry);
        if (!one)
            return std::nullopt;
        added.append(*one);
    }
    if (transaction.commit())
        return added;
    return std::nullopt;
}

CatalogEntry SqlCatalogStore::entryFrom(const QSqlQuery &query) const
{
    CatalogEntry entry;
    entry.id = query.value(EntryId).toString();
    entry.objectId = query.value(EntryObject).toString();
    entry.time = timeFrom(query.value(EntryTime));
    entry.operation = OperationFromWord(query.value(EntryOperation).toString())
                          .value_or(CatalogOperation::Imported);
    entry.port = query.value(EntryPort).toString();
    entry.user = query.value(EntryUser).toString();
    entry.version = query.value(EntryVersion).toString();
    entry.note = query.value(EntryNote).toString();
    entry.hash = query.value(EntryHash).toString();
    entry.codes = query.value(EntryCodes).toString();
    entry.phones = query.value(EntryPhones).toString();
    entry.templateName = textOrEmpty(query.value(EntryTemplate));
    entry.source = textOrEmpty(query.value(EntrySource));
    return entry;
}

CatalogObject SqlCatalogStore::objectFrom(const QSqlQuery &query) const
{
    CatalogObject object;
    object.id = query.value(ObjectId).toString();
    object.codes = query.value(ObjectCodes).toString();
    object.name = query.value(ObjectName).toString();
    object.address = query.value(ObjectAddress).toString();
    object.notes = query.value(ObjectNotes).toString();
    object.phones = query.value(ObjectPhones).toString();
    object.created = timeFrom(query.value(ObjectCreated));
    object.lastTime = timeFrom(query.value(ObjectLastTime));
    if (!query.value(ObjectLastOperation).isNull())
        object.lastOperation = OperationFromWord(query.value(ObjectLastOperation).toString());
    object.lastEntry = textOrEmpty(query.value(ObjectLastEntry));
    object.editedBy = textOrEmpty(query.value(ObjectEditedBy));
    object.editedAt = timeFrom(query.value(ObjectEditedAt));
    return object;
}

QString SqlCatalogStore::objectsWhere(const QString &what, const QString &search,
                                      QVariantList &values)
{
    const QStringList words = CatalogSearchWords(search);
    QString sql = QStringLiteral("SELECT %1 FROM objects WHERE merged_into IS NULL").arg(what);
    for (const QString &word : words) {
        sql += QStringLiteral(" AND ") + CatalogSearchMatch();
        values << likePattern(word) << likePattern(CatalogPhoneDigits(word));
    }
    return sql;
}

Expected<QList<CatalogObject>> SqlCatalogStore::objects(const QString &search, qsizetype first,
                                                        qsizetype count)
{
    QVariantList values;
    QString sql = objectsWhere(kObjectColumns, search, values) +
                  QStringLiteral(" ORDER BY last_time DESC, id");
    if (count >= 0 || first > 0) {
        sql += QStringLiteral(" LIMIT ? OFFSET ?");
        values << qint64(count >= 0 ? count : std::numeric_limits<qint64>::max())
               << qint64(qMax<qsizetype>(first, 0));
    }
    QList<CatalogObject> found;
    if (!select(sql, values, [&](const QSqlQuery &row) { found.append(objectFrom(row)); }))
        return Failure{m_lastError};
    return found;
}

Expected<qsizetype> SqlCatalogStore::objectCount(const QString &search)
{
    QVariantList values;
    const QString sql = objectsWhere(QStringLiteral("count(*)"), search, values);
    qsizetype count = 0;
    if (!select(sql, values, [&](const QSqlQuery &row) { count = row.value(0).toLongLong(); }))
        return Failure{m_lastError};
    return count;
}

std::optional<CatalogObject> SqlCatalogStore::object(const QString &id)
{
    std::optional<CatalogObject> found;
    select(QStringLiteral("SELECT %1 FROM objects WHERE id = ?").arg(kObjectColumns), {id},
           [&](const QSqlQuery &row) { found = objectFrom(row); });
    return found;
}

Expected<QList<CatalogEntry>> SqlCatalogStore::entriesWhere(const QString &condition,
                                                            const QVariantList &values)
{
    QList<CatalogEntry> entries;
    if (!select(QStringLiteral("SELECT %1 FROM entries WHERE %2").arg(kEntryColumns, condition),
                values, [&](const QSqlQuery &row) { entries.append(entryFrom(row)); }))
        return Failure{m_lastError};
    return entries;
}

Expected<QList<CatalogEntry>> SqlCatalogStore::timeline(const QString &objectId)
{
    return entriesWhere(QStringLiteral("object_id = ? ORDER BY time, id"), {objectId});
}

Expected<std::optional<CatalogEntry>> SqlCatalogStore::lastWrite(const QString &objectId)
{
    const Expected<QList<CatalogEntry>> found = entriesWhere(
        QStringLiteral("object_id = ? AND operation IN (?, ?, ?, ?) ORDER BY time DESC, id DESC "
                       "LIMIT 1"),
        {objectId, OperationWord(CatalogOperation::Written),
         OperationWord(CatalogOperation::VerifiedWrite),
         OperationWord(CatalogOperation::WriteUnverified),
         OperationWord(CatalogOperation::VerificationFailed)});
    if (!found)
        return Failure{found.reason()};
    return found->isEmpty() ? std::optional<CatalogEntry>()
                            : std::optional<CatalogEntry>(found->constFirst());
}

std::optional<CatalogEntry> SqlCatalogStore::entry(const QString &id)
{
    const Expected<QList<CatalogEntry>> found = entriesWhere(QStringLiteral("id = ?"), {id});
    return !found || found->isEmpty() ? std::nullopt
                                      : std::optional<CatalogEntry>(found->constFirst());
}

std::optional<QByteArray> SqlCatalogStore::configuration(const QString &hash)
{
    std::optional<QByteArray> bytes;
    select(QStringLiteral("SELECT bytes FROM configurations WHERE hash = ?"), {hash},
           [&](const QSqlQuery &row) { bytes = row.value(0).toByteArray(); });
    // A damaged row is refused, never opened as another configuration.
    if (bytes && ContentHash(*bytes) != hash) {
        fail(QStringLiteral("конфигурация в базе повреждена: её содержимое не совпадает с "
                            "записанным"));
        return std::nullopt;
    }
    return bytes;
}

Expected<QList<CatalogEntry>> SqlCatalogStore::templates()
{
    return entriesWhere(QStringLiteral("template_name IS NOT NULL ORDER BY template_name, time"),
                        {});
}

bool SqlCatalogStore::describeObject(const QString &id, const QString &name, const QString &address,
                                     const QString &notes)
{
    Transaction transaction(*this);
    return transaction.open() && lockObject(id) && writeDescription(id, name, address, notes) &&
           transaction.commit();
}

bool SqlCatalogStore::writeDescription(const QString &id, const QString &name,
                                       const QString &address, const QString &notes)
{
    int changed = 0;
    if (!execute(QStringLiteral("UPDATE objects SET name = ?, address = ?, notes = ?, "
                                "edited_by = ?, edited_at = ? WHERE id = ?"),
                 {text(name), text(address), text(notes), text(ObjectCatalog::systemUser()),
                  timeText(QDateTime::currentDateTimeUtc()), id},
                 &changed))
        return false;
    if (changed != 1)
        return fail(QStringLiteral("объекта %1 нет в базе").arg(id));
    return refreshObject(id);
}

bool SqlCatalogStore::mergeObjects(const QString &into, const QString &from)
{
    if (into == from)
        return fail(QStringLiteral("объект нельзя объединить с самим собой"));
    Transaction transaction(*this);
    if (!transaction.open())
        return false;
    const std::optional<QString> target = followMerges(into);
    if (!target || *target == from || !object(from))
        return fail(QStringLiteral("одного из объединяемых объектов нет в базе"));
    // Both objects, in one order for every writer.
    return lockObject(std::min(*target, from)) && lockObject(std::max(*target, from)) &&
           execute(QStringLiteral("UPDATE entries SET object_id = ? WHERE object_id = ?"),
                   {*target, from}) &&
           execute(QStringLiteral("UPDATE objects SET merged_into = ? WHERE id = ?"),
                   {*target, from}) &&
           refreshObject(*target) && refreshObject(from) && transaction.commit();
}

bool SqlCatalogStore::moveEntry(const QString &entryId, const QString &objectId)
{
    Transaction transaction(*this);
    if (!transaction.open())
        return false;
    const std::optional<CatalogEntry> moved = entry(entryId);
    const std::optional<QString> target = followMerges(objectId);
    if (!moved || !target)
        return fail(QStringLiteral("записи или объекта назначения нет в базе"));
    return lockObject(std::min(*target, moved->objectId)) &&
           lockObject(std::max(*target, moved->objectId)) &&
           execute(QStringLiteral("UPDATE entries SET object_id = ? WHERE id = ?"),
                   {*target, entryId}) &&
           refreshObject(*target) && refreshObject(moved->objectId) && transaction.commit();
}

bool SqlCatalogStore::setTemplate(const QString &entryId, const QString &name)
{
    Transaction transaction(*this);
    if (!transaction.open())
        return false;
    int changed = -1;
    const bool updated =
        execute(QStringLiteral("UPDATE entries SET template_name = ? WHERE id = ?"),
                {name.trimmed().isEmpty() ? QVariant(QMetaType::fromType<QString>())
                                          : QVariant(name.trimmed()),
                 entryId},
                &changed);
    if (updated && changed == 1)
        return transaction.commit();
    if (updated && changed == 0)
        fail(QStringLiteral("записи %1 нет в базе").arg(entryId));
    return false;
}

std::optional<QString> SqlCatalogStore::value(const QString &key)
{
    std::optional<QString> found;
    select(QStringLiteral("SELECT value FROM catalog_meta WHERE key = ?"), {key},
           [&](const QSqlQuery &row) { found = row.value(0).toString(); });
    return found;
}

bool SqlCatalogStore::setValue(const QString &key, const QString &value)
{
    Transaction transaction(*this);
    return transaction.open() &&
           execute(m_dialect->insertIgnoring(QStringLiteral("catalog_meta"),
                                             {QStringLiteral("key"), QStringLiteral("value")},
                                             QStringLiteral("key")),
                   {key, value}) &&
           execute(QStringLiteral("UPDATE catalog_meta SET value = ? WHERE key = ?"),
                   {value, key}) &&
           transaction.commit();
}

int SqlCatalogStore::salvageFrom(QSqlDatabase &other)
{
    Transaction transaction(*this);
    if (!transaction.open())
        return 0;
    // Parents before children: configurations and objects, then entries.
    const struct {
        QString table;
        QString columns;
        QString key;
    } tables[] = {
        {QStringLiteral("configurations"), QStringLiteral("hash, bytes, size"),
         QStringLiteral("hash")},
        {QStringLiteral("objects"),
         QStringLiteral("id, codes, name, address, notes, phones, created, last_time, "
                        "last_operation, last_entry, search"),
         QStringLiteral("id")},
        {QStringLiteral("entries"), kEntryColumns, QStringLiteral("id")},
    };
    int entries = 0;
    for (const auto &table : tables) {
        const QStringList columns = table.columns.split(QStringLiteral(", "));
        QSqlQuery read(other);
        read.setForwardOnly(true);
        if (!read.exec(QStringLiteral("SELECT %1 FROM %2").arg(table.columns, table.table)))
            continue;
        QSqlQuery write(m_db);
        write.prepare(m_dialect->insertIgnoring(table.table, columns, table.key));
        while (read.next()) {
            for (qsizetype i = 0; i < columns.size(); ++i)
                write.addBindValue(read.value(static_cast<int>(i)));
            // A row whose parent was lost is left out.
            if (write.exec() && table.table == QLatin1String("entries") &&
                write.numRowsAffected() > 0)
                ++entries;
        }
    }
    if (!transaction.commit())
        return 0;
    return entries;
}

} // namespace sr5n
