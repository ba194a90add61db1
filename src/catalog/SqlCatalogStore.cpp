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
    std::optional<QVariantList> now;
    if (!select(QStringLiteral("SELECT o.codes, o.name, o.address, o.notes, o.phones, e.id, "
                               "e.time, e.operation, e.codes, e.phones FROM objects o LEFT JOIN "
                               "entries e ON e.id = (SELECT id FROM entries WHERE object_id = o.id "
                               "ORDER BY time DESC, id DESC LIMIT 1) WHERE o.id = ?"),
                {objectId}, [&](const QSqlQuery &row) {
                    now = QVariantList();
                    for (int i = 0; i < 10; ++i)
                        now->append(row.value(i));
                }))
        return false;
    if (!now)
        return fail(QStringLiteral("объекта %1 нет в базе").arg(objectId));
    const QVariantList &o = *now;
    const bool hasEntry = !o.at(5).isNull();
    const QString codes = (hasEntry ? o.at(8) : o.at(0)).toString();
    const QString phones = (hasEntry ? o.at(9) : o.at(4)).toString();
    return execute(QStringLiteral("UPDATE objects SET codes = ?, phones = ?, last_time = ?, "
                                  "last_operation = ?, last_entry = ?, search = ? WHERE id = ?"),
                   {text(codes), text(phones), o.at(6), o.at(7), o.at(5),
                    CatalogSearchText(codes, o.at(1).toString(), o.at(2).toString(),
                                      o.at(3).toString(), phones),
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

QList<CatalogObject> SqlCatalogStore::objects(const QString &search, qsizetype first,
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
    select(sql, values, [&](const QSqlQuery &row) { found.append(objectFrom(row)); });
    return found;
}

std::optional<qsizetype> SqlCatalogStore::objectCount(const QString &search)
{
    QVariantList values;
    const QString sql = objectsWhere(QStringLiteral("count(*)"), search, values);
    std::optional<qsizetype> count;
    if (!select(sql, values, [&](const QSqlQuery &row) { count = row.value(0).toLongLong(); }))
        return std::nullopt;
    return count;
}

std::optional<CatalogObject> SqlCatalogStore::object(const QString &id)
{
    std::optional<CatalogObject> found;
    select(QStringLiteral("SELECT %1 FROM objects WHERE id = ?").arg(kObjectColumns), {id},
           [&](const QSqlQuery &row) { found = objectFrom(row); });
    return found;
}

QList<CatalogEntry> SqlCatalogStore::entriesWhere(const QString &condition,
                                                  const QVariantList &values)
{
    QList<CatalogEntry> entries;
    select(QStringLiteral("SELECT %1 FROM entries WHERE %2").arg(kEntryColumns, condition), values,
           [&](const QSqlQuery &row) { entries.append(entryFrom(row)); });
    return entries;
}

QList<CatalogEntry> SqlCatalogStore::timeline(const QString &objectId)
{
    return entriesWhere(QStringLiteral("object_id = ? ORDER BY time, id"), {objectId});
}

std::optional<CatalogEntry> SqlCatalogStore::entry(const QString &id)
{
    const QList<CatalogEntry> found = entriesWhere(QStringLiteral("id = ?"), {id});
    return found.isEmpty() ? std::nullopt : std::optional<CatalogEntry>(found.constFirst());
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

QList<CatalogEntry> SqlCatalogStore::templates()
{
    return entriesWhere(QStringLiteral("template_name IS NOT NULL ORDER BY template_name, time"),
                        {});
}

bool SqlCatalogStore::describeObject(const QString &id, const QString &name, const QString &address,
                                     const QString &notes)
{
    if (!begin())
        return false;
    if (lockObject(id) && writeDescription(id, name, address, notes) && commit())
        return true;
    rollback();
    return false;
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
    if (!begin())
        return false;
    const std::optional<QString> target = followMerges(into);
    if (!target || *target == from || !object(from)) {
        fail(QStringLiteral("одного из объединяемых объектов нет в базе"));
        rollback();
        return false;
    }
    // Both objects, in one order for every writer.
    if (!lockObject(std::min(*target, from)) || !lockObject(std::max(*target, from))) {
        rollback();
        return false;
    }
    if (execute(QStringLiteral("UPDATE entries SET object_id = ? WHERE object_id = ?"),
                {*target, from}) &&
        execute(QStringLiteral("UPDATE objects SET merged_into = ? WHERE id = ?"),
                {*target, from}) &&
        refreshObject(*target) && refreshObject(from) && commit())
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
    if (!lockObject(std::min(*target, moved->objectId)) ||
        !lockObject(std::max(*target, moved->objectId))) {
        rollback();
        return false;
    }
    if (execute(QStringLiteral("UPDATE entries SET object_id = ? WHERE id = ?"),
                {*target, entryId}) &&
        refreshObject(*target) && refreshObject(moved->objectId) && commit())
        return true;
    rollback();
    return false;
}

bool SqlCatalogStore::setTemplate(const QString &entryId, const QString &name)
{
    if (!begin())
        return false;
    int changed = -1;
    const bool updated =
        execute(QStringLiteral("UPDATE entries SET template_name = ? WHERE id = ?"),
                {name.trimmed().isEmpty() ? QVariant(QMetaType::fromType<QString>())
                                          : QVariant(name.trimmed()),
                 entryId},
                &changed);
    if (updated && changed == 1 && commit())
        return true;
    if (updated && changed == 0)
        fail(QStringLiteral("записи %1 нет в базе").arg(entryId));
    rollback();
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
    if (!begin())
        return false;
    if (execute(m_dialect->insertIgnoring(QStringLiteral("catalog_meta"),
                                          {QStringLiteral("key"), QStringLiteral("value")},
                                          QStringLiteral("key")),
                {key, value}) &&
        execute(QStringLiteral("UPDATE catalog_meta SET value = ? WHERE key = ?"), {value, key}) &&
        commit())
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
