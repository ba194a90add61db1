#include "catalog/SqlCatalogStore.h"

#include "catalog/CatalogSchema.h"
#include "catalog/ObjectCatalog.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>

#include <limits>

namespace sr5n {

namespace {

const QString kEntryColumns = QStringLiteral(
    "id, object_id, time, operation, port, user_name, version, note, hash, codes, phones, "
    "template_name, source");
const QString kObjectColumns = QStringLiteral(
    "id, codes, name, address, notes, phones, created, last_time, last_operation, last_entry, "
    "edited_by, edited_at");

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

bool SqlCatalogStore::exec(QSqlQuery &query)
{
    if (query.exec())
        return true;
    return fail(m_dialect->problemText(query.lastError()));
}

bool SqlCatalogStore::begin()
{
    if (m_readOnly)
        return refuseReadOnly();
    QString error;
    return ExecuteAll(m_db, m_dialect->beginWriteStatements(), error) || fail(error);
}

bool SqlCatalogStore::commit()
{
    // Where a full disk shows in write-ahead logging: the entry is then left out whole.
    QSqlQuery query(m_db);
    if (query.exec(QStringLiteral("COMMIT")))
        return true;
    fail(m_dialect->problemText(query.lastError()));
    rollback();
    return false;
}

void SqlCatalogStore::rollback()
{
    QString ignored;
    ExecuteAll(m_db, {QStringLiteral("ROLLBACK")}, ignored);
}

std::optional<QString> SqlCatalogStore::followMerges(QString id)
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("SELECT merged_into FROM objects WHERE id = ?"));
    // A chain of merges is short; the bound stops a loop a damaged file could hold.
    for (int step = 0; step < 64; ++step) {
        query.addBindValue(id);
        if (!exec(query))
            return std::nullopt;
        if (!query.next())
            return std::nullopt;
        const QVariant into = query.value(0);
        if (into.isNull())
            return id;
        id = into.toString();
    }
    return id;
}

std::optional<QString> SqlCatalogStore::objectWithCodes(const QString &codes)
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("SELECT id FROM objects WHERE codes = ? ORDER BY created, id"));
    query.addBindValue(text(codes));
    if (!exec(query))
        return std::nullopt;
    if (!query.next())
        return QString();
    return followMerges(query.value(0).toString());
}

bool SqlCatalogStore::refreshObject(const QString &objectId)
{
    QSqlQuery latest(m_db);
    latest.prepare(QStringLiteral("SELECT id, time, operation, codes, phones FROM entries "
                                  "WHERE object_id = ? ORDER BY time DESC, id DESC LIMIT 1"));
    latest.addBindValue(objectId);
    if (!exec(latest))
        return false;
    QSqlQuery object(m_db);
    object.prepare(
        QStringLiteral("SELECT codes, name, address, notes, phones FROM objects WHERE id = ?"));
    object.addBindValue(objectId);
    if (!exec(object) || !object.next())
        return fail(QStringLiteral("объекта %1 нет в базе").arg(objectId));
    QString codes = object.value(0).toString();
    QString phones = object.value(4).toString();
    QVariant time, operation, entryId;
    if (latest.next()) {
        entryId = latest.value(0);
        time = latest.value(1);
        operation = latest.value(2);
        codes = latest.value(3).toString();
        phones = latest.value(4).toString();
    }
    QSqlQuery update(m_db);
    update.prepare(QStringLiteral("UPDATE objects SET codes = ?, phones = ?, last_time = ?, "
                                  "last_operation = ?, last_entry = ?, search = ? WHERE id = ?"));
    update.addBindValue(text(codes));
    update.addBindValue(text(phones));
    update.addBindValue(time);
    update.addBindValue(operation);
    update.addBindValue(entryId);
    update.addBindValue(CatalogSearchText(codes, object.value(1).toString(),
                                          object.value(2).toString(), object.value(3).toString(),
                                          phones));
    update.addBindValue(objectId);
    return exec(update);
}

std::optional<CatalogEntry> SqlCatalogStore::add(const NewCatalogEntry &entry)
{
    const auto failed = []() -> std::optional<CatalogEntry> { return std::nullopt; };
    if (!entry.source.isEmpty()) {
        QSqlQuery known(m_db);
        known.prepare(QStringLiteral("SELECT id FROM entries WHERE source = ?"));
        known.addBindValue(entry.source);
        if (!exec(known))
            return failed();
        if (known.next())
            return this->entry(known.value(0).toString());
    }
    const QString hash = ContentHash(entry.configuration);
    QSqlQuery store(m_db);
    store.prepare(m_dialect->insertIgnoring(
        QStringLiteral("configurations"),
        {QStringLiteral("hash"), QStringLiteral("bytes"), QStringLiteral("size")},
        QStringLiteral("hash")));
    store.addBindValue(hash);
    store.addBindValue(entry.configuration);
    store.addBindValue(entry.configuration.size());
    if (!exec(store))
        return failed();

    QString objectId = entry.objectId;
    if (objectId.isEmpty()) {
        const std::optional<QString> found = objectWithCodes(entry.codes);
        if (!found)
            return failed();
        objectId = *found;
    } else if (!object(objectId)) {
        fail(QStringLiteral("объекта %1 нет в базе").arg(objectId));
        return failed();
    }
    if (objectId.isEmpty()) {
        objectId = NewCatalogId();
        QSqlQuery create(m_db);
        create.prepare(QStringLiteral("INSERT INTO objects (id, codes, phones, created, search) "
                                      "VALUES (?, ?, ?, ?, ?)"));
        create.addBindValue(objectId);
        create.addBindValue(text(entry.codes));
        create.addBindValue(text(entry.phones));
        create.addBindValue(timeText(entry.time));
        create.addBindValue(CatalogSearchText(entry.codes, {}, {}, {}, entry.phones));
        if (!exec(create))
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
    QSqlQuery insert(m_db);
    insert.prepare(QStringLiteral("INSERT INTO entries (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                  "?, ?, ?, ?)")
                       .arg(kEntryColumns));
    insert.addBindValue(added.id);
    insert.addBindValue(added.objectId);
    insert.addBindValue(timeText(added.time));
    insert.addBindValue(OperationWord(added.operation));
    insert.addBindValue(text(added.port));
    insert.addBindValue(text(added.user));
    insert.addBindValue(text(added.version));
    insert.addBindValue(text(added.note));
    insert.addBindValue(added.hash);
    insert.addBindValue(text(added.codes));
    insert.addBindValue(text(added.phones));
    insert.addBindValue(QVariant(QMetaType::fromType<QString>()));
    insert.addBindValue(added.source.isEmpty() ? QVariant(QMetaType::fromType<QString>())
                                               : QVariant(added.source));
    if (!exec(insert) || !refreshObject(objectId))
        return failed();
    return added;
}

std::optional<CatalogEntry> SqlCatalogStore::record(const NewCatalogEntry &entry)
{
    if (!begin())
        return std::nullopt;
    std::optional<CatalogEntry> added = add(entry);
    if (added && commit())
        return added;
    rollback();
    return std::nullopt;
}

std::optional<QList<CatalogEntry>> SqlCatalogStore::recordAll(const QList<NewCatalogEntry> &entries)
{
    if (!begin())
        return std::nullopt;
    QList<CatalogEntry> added;
    for (const NewCatalogEntry &entry : entries) {
        std::optional<CatalogEntry> one = add(entry);
        if (!one) {
            rollback();
            return std::nullopt;
        }
        added.append(*one);
    }
    if (commit())
        return added;
    rollback();
    return std::nullopt;
}

CatalogEntry SqlCatalogStore::entryFrom(const QSqlQuery &query) const
{
    CatalogEntry entry;
    entry.id = query.value(0).toString();
    entry.objectId = query.value(1).toString();
    entry.time = timeFrom(query.value(2));
    entry.operation =
        OperationFromWord(query.value(3).toString()).value_or(CatalogOperation::Imported);
    entry.port = query.value(4).toString();
    entry.user = query.value(5).toString();
    entry.version = query.value(6).toString();
    entry.note = query.value(7).toString();
    entry.hash = query.value(8).toString();
    entry.codes = query.value(9).toString();
    entry.phones = query.value(10).toString();
    entry.templateName = textOrEmpty(query.value(11));
    entry.source = textOrEmpty(query.value(12));
    return entry;
}

CatalogObject SqlCatalogStore::objectFrom(const QSqlQuery &query) const
{
    CatalogObject object;
    object.id = query.value(0).toString();
    object.codes = query.value(1).toString();
    object.name = query.value(2).toString();
    object.address = query.value(3).toString();
    object.notes = query.value(4).toString();
    object.phones = query.value(5).toString();
    object.created = timeFrom(query.value(6));
    object.lastTime = timeFrom(query.value(7));
    if (!query.value(8).isNull())
        object.lastOperation = OperationFromWord(query.value(8).toString());
    object.lastEntry = textOrEmpty(query.value(9));
    object.editedBy = textOrEmpty(query.value(10));
    object.editedAt = timeFrom(query.value(11));
    return object;
}

bool SqlCatalogStore::selectObjects(QSqlQuery &query, const QString &what, const QString &search,
                                    const QString &rest)
{
    const QStringList words = search.toLower().split(u' ', Qt::SkipEmptyParts);
    QString sql = QStringLiteral("SELECT %1 FROM objects WHERE merged_into IS NULL").arg(what);
    for (qsizetype i = 0; i < words.size(); ++i)
        sql += QStringLiteral(" AND search LIKE ? ESCAPE '\\'");
    query.setForwardOnly(true);
    query.prepare(sql + rest);
    for (const QString &word : words)
        query.addBindValue(likePattern(word));
    return exec(query);
}

QList<CatalogObject> SqlCatalogStore::objects(const QString &search, qsizetype first,
                                              qsizetype count)
{
    QString order = QStringLiteral(" ORDER BY last_time DESC, id");
    if (count >= 0 || first > 0)
        order += QStringLiteral(" LIMIT %1 OFFSET %2")
                     .arg(count >= 0 ? count : std::numeric_limits<qint64>::max())
                     .arg(qMax<qsizetype>(first, 0));
    QSqlQuery query(m_db);
    QList<CatalogObject> found;
    if (!selectObjects(query, kObjectColumns, search, order))
        return found;
    while (query.next())
        found.append(objectFrom(query));
    return found;
}

std::optional<qsizetype> SqlCatalogStore::objectCount(const QString &search)
{
    QSqlQuery query(m_db);
    if (!selectObjects(query, QStringLiteral("count(*)"), search, QString()) || !query.next())
        return std::nullopt;
    return query.value(0).toLongLong();
}

std::optional<CatalogObject> SqlCatalogStore::object(const QString &id)
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("SELECT %1 FROM objects WHERE id = ?").arg(kObjectColumns));
    query.addBindValue(id);
    if (!exec(query) || !query.next())
        return std::nullopt;
    return objectFrom(query);
}

QList<CatalogEntry> SqlCatalogStore::timeline(const QString &objectId)
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT %1 FROM entries WHERE object_id = ? ORDER BY time, id")
                      .arg(kEntryColumns));
    query.addBindValue(objectId);
    QList<CatalogEntry> entries;
    if (!exec(query))
        return entries;
    while (query.next())
        entries.append(entryFrom(query));
    return entries;
}

std::optional<CatalogEntry> SqlCatalogStore::entry(const QString &id)
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("SELECT %1 FROM entries WHERE id = ?").arg(kEntryColumns));
    query.addBindValue(id);
    if (!exec(query) || !query.next())
        return std::nullopt;
    return entryFrom(query);
}

std::optional<QByteArray> SqlCatalogStore::configuration(const QString &hash)
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("SELECT bytes FROM configurations WHERE hash = ?"));
    query.addBindValue(hash);
    if (!exec(query) || !query.next())
        return std::nullopt;
    return query.value(0).toByteArray();
}

QList<CatalogEntry> SqlCatalogStore::templates()
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT %1 FROM entries WHERE template_name IS NOT NULL "
                                 "ORDER BY template_name, time")
                      .arg(kEntryColumns));
    QList<CatalogEntry> entries;
    if (!exec(query))
        return entries;
    while (query.next())
        entries.append(entryFrom(query));
    return entries;
}

bool SqlCatalogStore::describeObject(const QString &id, const QString &name, const QString &address,
                                     const QString &notes)
{
    if (!begin())
        return false;
    if (writeDescription(id, name, address, notes) && commit())
        return true;
    rollback();
    return false;
}

bool SqlCatalogStore::writeDescription(const QString &id, const QString &name,
                                       const QString &address, const QString &notes)
{
    QSqlQuery update(m_db);
    update.prepare(QStringLiteral("UPDATE objects SET name = ?, address = ?, notes = ?, "
                                  "edited_by = ?, edited_at = ? WHERE id = ?"));
    update.addBindValue(text(name));
    update.addBindValue(text(address));
    update.addBindValue(text(notes));
    update.addBindValue(text(ObjectCatalog::systemUser()));
    update.addBindValue(timeText(QDateTime::currentDateTimeUtc()));
    update.addBindValue(id);
    if (!exec(update))
        return false;
    if (update.numRowsAffected() != 1)
        return fail(QStringLiteral("объекта %1 нет в базе").arg(id));
    return refreshObject(id);
}

bool SqlCatalogStore::mergeObjects(const QString &into, const QString &from)
{
    if (into == from)
        return fail(QStringLiteral("объект нельзя объединить с самим собой"));
    if (!begin())
        return false;
    const std::optional<QString> target = followMerges(into);
    if (!target || *target == from || !object(from)) {
        fail(QStringLiteral("одного из объединяемых объектов нет в базе"));
        rollback();
        return false;
    }
    QSqlQuery move(m_db);
    move.prepare(QStringLiteral("UPDATE entries SET object_id = ? WHERE object_id = ?"));
    move.addBindValue(*target);
    move.addBindValue(from);
    QSqlQuery mark(m_db);
    mark.prepare(QStringLiteral("UPDATE objects SET merged_into = ? WHERE id = ?"));
    mark.addBindValue(*target);
    mark.addBindValue(from);
    if (exec(move) && exec(mark) && refreshObject(*target) && refreshObject(from) && commit())
        return true;
    rollback();
    return false;
}

bool SqlCatalogStore::moveEntry(const QString &entryId, const QString &objectId)
{
    if (!begin())
        return false;
    const std::optional<CatalogEntry> moved = entry(entryId);
    const std::optional<QString> target = followMerges(objectId);
    if (!moved || !target) {
        fail(QStringLiteral("записи или объекта назначения нет в базе"));
        rollback();
        return false;
    }
    QSqlQuery move(m_db);
    move.prepare(QStringLiteral("UPDATE entries SET object_id = ? WHERE id = ?"));
    move.addBindValue(*target);
    move.addBindValue(entryId);
    if (exec(move) && refreshObject(*target) && refreshObject(moved->objectId) && commit())
        return true;
    rollback();
    return false;
}

bool SqlCatalogStore::setTemplate(const QString &entryId, const QString &name)
{
    if (!begin())
        return false;
    QSqlQuery update(m_db);
    update.prepare(QStringLiteral("UPDATE entries SET template_name = ? WHERE id = ?"));
    update.addBindValue(name.trimmed().isEmpty() ? QVariant(QMetaType::fromType<QString>())
                                                 : QVariant(name.trimmed()));
    update.addBindValue(entryId);
    if (exec(update) && update.numRowsAffected() == 1 && commit())
        return true;
    if (update.numRowsAffected() == 0)
        fail(QStringLiteral("записи %1 нет в базе").arg(entryId));
    rollback();
    return false;
}

std::optional<QString> SqlCatalogStore::value(const QString &key)
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("SELECT value FROM catalog_meta WHERE key = ?"));
    query.addBindValue(key);
    if (!exec(query) || !query.next())
        return std::nullopt;
    return query.value(0).toString();
}

bool SqlCatalogStore::setValue(const QString &key, const QString &value)
{
    if (!begin())
        return false;
    QSqlQuery insert(m_db);
    insert.prepare(m_dialect->insertIgnoring(QStringLiteral("catalog_meta"),
                                             {QStringLiteral("key"), QStringLiteral("value")},
                                             QStringLiteral("key")));
    insert.addBindValue(key);
    insert.addBindValue(value);
    QSqlQuery update(m_db);
    update.prepare(QStringLiteral("UPDATE catalog_meta SET value = ? WHERE key = ?"));
    update.addBindValue(value);
    update.addBindValue(key);
    if (exec(insert) && exec(update) && commit())
        return true;
    rollback();
    return false;
}

int SqlCatalogStore::salvageFrom(QSqlDatabase &other)
{
    if (!begin())
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
    if (!commit())
        return 0;
    return entries;
}

} // namespace sr5n
