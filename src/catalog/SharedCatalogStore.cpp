#include "catalog/SharedCatalogStore.h"

#include "catalog/PostgresCatalog.h"
#include "catalog/SqlCatalogStore.h"
#include "catalog/SqliteCatalog.h"
#include "catalog/SqliteDialect.h"

#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

namespace sr5n {

namespace {

// The key under which the local catalogue notes that an entry went to the server.
QString sentKey(const QString &source)
{
    return QStringLiteral("sent:") + source;
}

// The local entries still to be sent, oldest first, through a connection of
// its own to the local file (the store keeps its own to itself).
QStringList unsentEntries(const QString &path)
{
    QStringList ids;
    const QString name = QStringLiteral("sr5n-outbox-") + NewCatalogId();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(SqliteDialect::connectOptions(true));
        if (db.open()) {
            QSqlQuery query(db);
            query.prepare(QStringLiteral(
                "SELECT id FROM entries WHERE source LIKE ? AND NOT EXISTS (SELECT 1 FROM "
                "catalog_meta WHERE key = 'sent:' || entries.source) ORDER BY time, id"));
            query.addBindValue(SharedCatalogStore::OfflinePrefix + u'%');
            if (query.exec()) {
                while (query.next())
                    ids << query.value(0).toString();
            }
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ids;
}

template <typename T> struct IsOptional : std::false_type {
};
template <typename T> struct IsOptional<std::optional<T>> : std::true_type {
};

NewCatalogEntry resent(const CatalogEntry &entry, const QByteArray &configuration,
                       const QString &source, const QString &objectId)
{
    NewCatalogEntry sent;
    sent.time = entry.time;
    sent.operation = entry.operation;
    sent.port = entry.port;
    sent.user = entry.user;
    sent.version = entry.version;
    sent.note = entry.note;
    sent.configuration = configuration;
    sent.codes = entry.codes;
    sent.phones = entry.phones;
    sent.objectId = objectId;
    sent.source = source;
    return sent;
}

} // namespace

const QString SharedCatalogStore::OfflinePrefix = QStringLiteral("offline:");

SharedCatalogStore::SharedCatalogStore(PostgresUri uri, QString localPath, QString password)
    : m_uri(std::move(uri)), m_localPath(std::move(localPath)), m_password(std::move(password))
{
}

SharedCatalogStore::~SharedCatalogStore() = default;

QString SharedCatalogStore::offlineMessage(const QString &server, const QString &reason)
{
    // The driver's words, when the reason has them, stay on a line of their own at the end.
    const qsizetype detail = reason.indexOf(u'\n');
    return QStringLiteral("%1. Записи сохраняются в локальном каталоге и будут отправлены в общий "
                          "каталог %2 при следующем подключении")
               .arg(reason.left(detail), server) +
           (detail < 0 ? QString() : reason.mid(detail));
}

QString SharedCatalogStore::sentMessage(const QString &server, int count)
{
    return QStringLiteral("В общий каталог %1 отправлены записи, сделанные без связи с сервером: "
                          "%2")
        .arg(server)
        .arg(count);
}

QString SharedCatalogStore::editsWaitMessage(const QString &server)
{
    return QStringLiteral("Нет связи с общим каталогом %1: объекты можно изменять только при связи "
                          "с сервером")
        .arg(server);
}

bool SharedCatalogStore::fail(const QString &error)
{
    m_lastError = error;
    return false;
}

bool SharedCatalogStore::connect(const QString &password)
{
    m_serverTried = true;
    if (!password.isEmpty())
        m_password = password;
    if (m_server || open())
        return true;
    goOffline(m_connectProblem);
    return false;
}

bool SharedCatalogStore::open()
{
    PostgresOpening opened = OpenPostgresCatalog(m_uri, m_password);
    m_connectFailure = opened.connectFailure;
    // What the server says of itself or of the role is told once a run,
    // however often the connection is made again.
    for (const QString &notice : opened.opening.notices) {
        if (!m_toldOnOpening.contains(notice))
            m_notices << notice;
        m_toldOnOpening.insert(notice);
    }
    if (!opened.opening.store) {
        m_connectProblem = opened.opening.failure;
        return false;
    }
    m_server = std::move(opened.opening.store);
    m_serverConnection = opened.connectionName;
    m_protection = opened.protection;
    m_readOnlyReason = opened.readOnlyReason;
    m_connectProblem.clear();
    m_toldOffline = false;
    return m_server != nullptr;
}

void SharedCatalogStore::tryOnce()
{
    if (!m_serverTried)
        connect();
}

QString SharedCatalogStore::passwordQuestion() const
{
    if (m_server || (m_connectFailure != PostgresConnector::Failure::PasswordNeeded &&
                     m_connectFailure != PostgresConnector::Failure::PasswordRejected))
        return {};
    return m_connectProblem;
}

void SharedCatalogStore::goOffline(const QString &reason)
{
    m_server.reset();
    m_serverConnection.clear();
    m_connectProblem = reason;
    if (!m_toldOffline)
        m_notices << offlineMessage(m_uri.displayText(), reason);
    m_toldOffline = true;
}

bool SharedCatalogStore::lostServer(bool reconnect)
{
    if (!m_server)
        return true;
    bool alive = false;
    {
        QSqlDatabase db = QSqlDatabase::database(m_serverConnection, false);
        QSqlQuery probe(db);
        SqlCatalogStore::countStatements(1);
        alive = db.isOpen() && probe.exec(QStringLiteral("SELECT 1"));
    }
    if (alive)
        return false;
    const QString reason = PostgresConnector::message(PostgresConnector::Failure::Unreachable,
                                                      m_uri, m_server->lastError());
    m_server.reset();
    m_serverConnection.clear();
    // A server restarted since the last call takes a new connection at once.
    if (!reconnect || !open())
        goOffline(reason);
    return true;
}

CatalogStore *SharedCatalogStore::local()
{
    if (!m_localTried) {
        m_localTried = true;
        CatalogOpening opening = OpenSqliteCatalog(m_localPath);
        m_local = std::move(opening.store);
        m_notices << opening.notices;
        m_localFailure = opening.failure;
    }
    return m_local.get();
}

CatalogStore *SharedCatalogStore::reader()
{
    return m_server ? m_server.get() : local();
}

int SharedCatalogStore::sendWaiting()
{
    m_lastSent.clear();
    // The operation's own entries are no news on this attempt only: sent
    // later, they were made without the server.
    const auto ownOnce = qScopeGuard([this] { m_lastKept.clear(); });
    if (!m_server && !connect())
        return 0;
    if (m_server->isReadOnly())
        return 0;
    const int sent = sendUnsent();
    if (sent > 0)
        m_notices << sentMessage(m_uri.displayText(), sent);
    return sent;
}

int SharedCatalogStore::sendUnsent()
{
    CatalogStore *here = local();
    if (!here || !m_server)
        return 0;
    int told = 0;
    for (const QString &id : unsentEntries(m_localPath)) {
        const std::optional<CatalogEntry> entry = here->entry(id);
        const std::optional<QByteArray> bytes =
            entry ? here->configuration(entry->hash) : std::nullopt;
        if (!entry || !bytes)
            continue;
        // Another process sharing this outbox may have sent it first.
        const bool fresh = m_lastKept.contains(entry->source);
        const bool known = !fresh && serverHasSource(entry->source);
        // Recorded on the server (or found there by its source) before it is
        // marked here: a failure in between sends it again, and the server
        // keeps it once.
        const std::optional<CatalogEntry> there =
            m_server->record(resent(*entry, *bytes, entry->source, {}));
        if (!there) {
            if (lostServer(false))
                break;
            continue;
        }
        here->setValue(sentKey(entry->source),
                       SqlCatalogStore::timeText(QDateTime::currentDateTimeUtc()));
        m_lastSent.append(*there);
        if (!fresh && !known)
            ++told;
    }
    return told;
}

bool SharedCatalogStore::serverHasSource(const QString &source)
{
    QSqlQuery query(QSqlDatabase::database(m_serverConnection, false));
    query.prepare(QStringLiteral("SELECT 1 FROM entries WHERE source = ?"));
    query.addBindValue(source);
    return query.exec() && query.next();
}

int SharedCatalogStore::unsentCount()
{
    return local() ? int(unsentEntries(m_localPath).size()) : 0;
}

QString SharedCatalogStore::statusText()
{
    const QString server = m_uri.displayText();
    if (m_server) {
        if (m_server->isReadOnly())
            return QStringLiteral("Общий каталог %1: на связи, %2, только чтение")
                .arg(server, m_protection);
        return QStringLiteral("Общий каталог %1: на связи, %2").arg(server, m_protection);
    }
    QString text = QStringLiteral("Общий каталог %1: нет связи").arg(server);
    if (const int waiting = unsentCount(); waiting > 0)
        text += QStringLiteral(", ждут отправки записей: %1").arg(waiting);
    return text;
}

QString SharedCatalogStore::location() const
{
    return m_uri.withoutPassword();
}

bool SharedCatalogStore::isReadOnly() const
{
    return m_server && m_server->isReadOnly();
}

QStringList SharedCatalogStore::takeNotices()
{
    return std::exchange(m_notices, {});
}

// A read that failed on the server is asked again on a new connection when
// the server's was lost, and of the local catalogue when no server answers.
// An empty answer is an answer.
template <typename Call>
auto SharedCatalogStore::fromServerOrLocal(Call call)
    -> decltype(call(std::declval<CatalogStore &>()))
{
    using Result = decltype(call(std::declval<CatalogStore &>()));
    tryOnce();
    if (m_server) {
        Result found = call(*m_server);
        if (found.has_value() || !lostServer())
            return found;
        if (m_server)
            return call(*m_server);
    }
    CatalogStore *here = local();
    if (here)
        return call(*here);
    fail(m_localFailure);
    if constexpr (IsOptional<Result>::value)
        return std::nullopt;
    else
        return Failure{m_localFailure};
}

// An entry kept here until the server has it: its source marks it as not yet
// sent; one it had stays inside, so that what is recorded once by its source
// still is. Its object is found here by its numbers.
void SharedCatalogStore::ownOperation(const QStringList &sources)
{
    m_lastKept = QSet<QString>(sources.cbegin(), sources.cend());
}

NewCatalogEntry SharedCatalogStore::OutboxEntry(NewCatalogEntry entry)
{
    entry.source = OfflinePrefix + (entry.source.isEmpty() ? NewCatalogId() : entry.source);
    entry.objectId.clear();
    return entry;
}

std::optional<QList<CatalogEntry>>
SharedCatalogStore::recordAll(const QList<NewCatalogEntry> &entries)
{
    CatalogStore *here = local();
    if (!here) {
        fail(m_localFailure);
        return std::nullopt;
    }
    // A server that takes no entries (a newer program's catalogue, a role
    // that may only read): refused with the reason, never kept for it.
    if (m_server && m_server->isReadOnly()) {
        fail(!m_readOnlyReason.isEmpty()
                 ? m_readOnlyReason
                 : CatalogReadOnlyRoleMessage(m_uri.displayText(), PostgresConnector::role(m_uri)));
        return std::nullopt;
    }
    QList<NewCatalogEntry> kept;
    for (const NewCatalogEntry &entry : entries)
        kept.append(OutboxEntry(entry));
    std::optional<QList<CatalogEntry>> recorded = here->recordAll(kept);
    if (!recorded) {
        fail(here->lastError());
        return recorded;
    }
    // Sent on by the next sendWaiting(), as part of the same operation: no
    // news when they go.
    m_lastKept.clear();
    for (const NewCatalogEntry &entry : std::as_const(kept))
        m_lastKept.insert(entry.source);
    return recorded;
}

std::optional<CatalogEntry> SharedCatalogStore::record(const NewCatalogEntry &entry)
{
    const std::optional<QList<CatalogEntry>> recorded = recordAll({entry});
    if (!recorded || recorded->isEmpty())
        return std::nullopt;
    return recorded->constFirst();
}

Expected<QList<CatalogObject>> SharedCatalogStore::objects(const QString &search, qsizetype first,
                                                           qsizetype count)
{
    return fromServerOrLocal(
        [&](CatalogStore &store) { return store.objects(search, first, count); });
}

Expected<qsizetype> SharedCatalogStore::objectCount(const QString &search)
{
    return fromServerOrLocal([&](CatalogStore &store) { return store.objectCount(search); });
}

std::optional<CatalogObject> SharedCatalogStore::object(const QString &id)
{
    return fromServerOrLocal([&](CatalogStore &store) { return store.object(id); });
}

Expected<QList<CatalogEntry>> SharedCatalogStore::timeline(const QString &objectId)
{
    return fromServerOrLocal([&](CatalogStore &store) { return store.timeline(objectId); });
}

Expected<std::optional<CatalogEntry>> SharedCatalogStore::lastWrite(const QString &objectId)
{
    return fromServerOrLocal([&](CatalogStore &store) { return store.lastWrite(objectId); });
}

std::optional<CatalogEntry> SharedCatalogStore::entry(const QString &id)
{
    return fromServerOrLocal([&](CatalogStore &store) { return store.entry(id); });
}

std::optional<QByteArray> SharedCatalogStore::configuration(const QString &hash)
{
    return fromServerOrLocal([&](CatalogStore &store) { return store.configuration(hash); });
}

Expected<QList<CatalogEntry>> SharedCatalogStore::templates()
{
    return fromServerOrLocal([&](CatalogStore &store) { return store.templates(); });
}

bool SharedCatalogStore::serverEdit(const std::function<bool(CatalogStore &)> &edit)
{
    // Changes of objects and entries are the server's alone: while it is
    // away they wait, and a server lost during one says why.
    if (!m_server)
        return fail(editsWaitMessage(m_uri.displayText()));
    if (edit(*m_server) || (lostServer() && m_server && edit(*m_server)))
        return true;
    return fail(m_server ? m_server->lastError() : editsWaitMessage(m_uri.displayText()));
}

bool SharedCatalogStore::describeObject(const QString &id, const QString &name,
                                        const QString &address, const QString &notes)
{
    return serverEdit(
        [&](CatalogStore &server) { return server.describeObject(id, name, address, notes); });
}

ObjectEdit SharedCatalogStore::editObject(const CatalogObject &seen, const QString &name,
                                          const QString &address, const QString &notes)
{
    if (m_server) {
        ObjectEdit edit = m_server->editObject(seen, name, address, notes);
        if (edit.outcome == ObjectEdit::Outcome::Failed && lostServer() && m_server)
            edit = m_server->editObject(seen, name, address, notes);
        if (m_server) {
            if (edit.outcome == ObjectEdit::Outcome::Failed)
                fail(m_server->lastError());
            return edit;
        }
    }
    fail(editsWaitMessage(m_uri.displayText()));
    return {};
}

bool SharedCatalogStore::mergeObjects(const QString &into, const QString &from)
{
    return serverEdit([&](CatalogStore &server) { return server.mergeObjects(into, from); });
}

bool SharedCatalogStore::moveEntry(const QString &entryId, const QString &objectId)
{
    return serverEdit([&](CatalogStore &server) { return server.moveEntry(entryId, objectId); });
}

bool SharedCatalogStore::setTemplate(const QString &entryId, const QString &name)
{
    return serverEdit([&](CatalogStore &server) { return server.setTemplate(entryId, name); });
}

std::optional<QString> SharedCatalogStore::value(const QString &key)
{
    return fromServerOrLocal([&](CatalogStore &store) { return store.value(key); });
}

bool SharedCatalogStore::setValue(const QString &key, const QString &value)
{
    return serverEdit([&](CatalogStore &server) { return server.setValue(key, value); });
}

SharedCatalogStore::Upload SharedCatalogStore::upload(const QString &path)
{
    Upload result;
    if (!m_server && !connect()) {
        result.failure = m_connectProblem;
        return result;
    }
    if (m_server->isReadOnly()) {
        result.failure =
            CatalogReadOnlyRoleMessage(m_uri.displayText(), PostgresConnector::role(m_uri));
        return result;
    }
    CatalogOpening opening = OpenSqliteCatalog(path);
    if (!opening.store) {
        result.failure = opening.failure;
        return result;
    }
    CatalogStore &from = *opening.store;
    const Expected<QList<CatalogObject>> objects = from.objects();
    if (!objects) {
        result.failure = objects.reason();
        return result;
    }
    for (const CatalogObject &object : *objects) {
        ++result.objects;
        // The first entry finds (or makes) the server's object of the same
        // numbers; the object's other entries follow it there.
        QString target;
        const Expected<QList<CatalogEntry>> timeline = from.timeline(object.id);
        if (!timeline) {
            result.failure = timeline.reason();
            return result;
        }
        for (const CatalogEntry &entry : *timeline) {
            const std::optional<QByteArray> bytes = from.configuration(entry.hash);
            if (!bytes)
                continue;
            const QString source = entry.source.startsWith(OfflinePrefix)
                                       ? entry.source
                                       : QStringLiteral("local:") + entry.id;
            const bool known = serverHasSource(source);
            const auto recorded = m_server->record(resent(entry, *bytes, source, target));
            if (!recorded) {
                result.failure = m_server->lastError();
                lostServer();
                return result;
            }
            if (target.isEmpty())
                target = recorded->objectId;
            ++(known ? result.known : result.entries);
            if (!entry.templateName.isEmpty() && recorded->templateName.isEmpty())
                m_server->setTemplate(recorded->id, entry.templateName);
        }
        if (target.isEmpty())
            continue;
        // What the engineer wrote about the object fills what the server's
        // object leaves empty; the server's own texts stay.
        const std::optional<CatalogObject> there = m_server->object(target);
        if (!there)
            continue;
        const QString name = there->name.isEmpty() ? object.name : there->name;
        const QString address = there->address.isEmpty() ? object.address : there->address;
        const QString notes = there->notes.isEmpty() ? object.notes : there->notes;
        if (name != there->name || address != there->address || notes != there->notes) {
            if (m_server->editObject(*there, name, address, notes).outcome ==
                ObjectEdit::Outcome::Saved)
                ++result.described;
        }
    }
    return result;
}

} // namespace sr5n
