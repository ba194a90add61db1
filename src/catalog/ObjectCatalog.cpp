#include "catalog/ObjectCatalog.h"

#include "catalog/CatalogLocation.h"
#include "catalog/ConfigurationFacts.h"
#include "catalog/HistoryImport.h"
#include "catalog/SqliteCatalog.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <atomic>

#include <pwd.h>
#include <unistd.h>

namespace sr5n {

namespace {

const QString kHistoryImported = QStringLiteral("history-imported");

} // namespace

// The integrity check running apart and what it found.
struct ObjectCatalog::Check {
    std::unique_ptr<QThread> thread;
    CatalogIntegrity result;
    std::atomic<bool> ended = false;

    ~Check()
    {
        if (thread)
            thread->wait();
    }
};

ObjectCatalog::ObjectCatalog(QString path, QString historyFolder, QString localPath)
    : m_path(std::move(path)), m_historyFolder(std::move(historyFolder)),
      m_localPath(localPath.isEmpty() ? DefaultCatalogPath() : std::move(localPath))
{
}

QString ObjectCatalog::statusText()
{
    CatalogStore *opened = store();
    if (!opened)
        return QStringLiteral("База объектов недоступна: %1").arg(failure());
    if (CatalogLink *link = opened->link())
        return link->statusText();
    QString text = QStringLiteral("Локальный каталог %1").arg(QDir::toNativeSeparators(m_path));
    if (opened->isReadOnly())
        text += QStringLiteral(", только чтение");
    return text;
}

CatalogLink *ObjectCatalog::link()
{
    CatalogStore *opened = store();
    return opened ? opened->link() : nullptr;
}

void ObjectCatalog::reconnect()
{
    // Tried again when away; what waits for it is sent.
    if (CatalogLink *shared = link())
        shared->sendWaiting();
}

QString ObjectCatalog::passwordQuestion()
{
    CatalogLink *shared = link();
    return shared ? shared->passwordQuestion() : QString();
}

bool ObjectCatalog::tryPassword(const QString &password)
{
    CatalogLink *shared = link();
    if (!shared || !shared->connect(password))
        return false;
    shared->sendWaiting();
    return true;
}

ObjectCatalog::~ObjectCatalog() = default;

CatalogStore *ObjectCatalog::store()
{
    if (m_tried)
        return m_store.get();
    m_tried = true;
    CatalogOpening opening =
        OpenCatalog(m_path, m_localPath, m_checkApart ? CatalogCheck::Apart : CatalogCheck::Now);
    m_store = std::move(opening.store);
    m_notices << opening.notices;
    m_failure = opening.reason.isEmpty() ? opening.failure : opening.reason;
    // The history of this machine goes into its local catalogue only.
    if (!m_store || m_store->isReadOnly() || m_historyFolder.isEmpty() || IsSharedCatalog(m_path) ||
        m_store->value(kHistoryImported))
        return m_store.get();
    // Once: the earlier versions' history, every file of it; a file that
    // fails is tried again at the next start.
    const HistoryImport::Result imported = QFileInfo(m_historyFolder).isDir()
                                               ? HistoryImport::run(*m_store, m_historyFolder)
                                               : HistoryImport::Result();
    if (imported.failures.isEmpty())
        m_store->setValue(kHistoryImported, QString::number(imported.recorded));
    return m_store.get();
}

bool ObjectCatalog::startCheck(QObject *context, std::function<void()> done)
{
    // A server checks its own database; only a local file is checked here.
    if (!m_checkApart || m_checkStarted || IsSharedCatalog(m_path) || !store() ||
        m_store->isReadOnly())
        return false;
    m_checkStarted = true;
    m_check = std::make_unique<Check>();
    Check *check = m_check.get();
    check->thread.reset(QThread::create([check, path = m_path, hold = m_beforeCheck] {
        if (hold)
            hold();
        check->result = CheckSqliteCatalog(path);
        check->ended = true;
    }));
    QObject::connect(check->thread.get(), &QThread::finished, context, std::move(done));
    check->thread->start();
    return true;
}

bool ObjectCatalog::finishCheck()
{
    if (!m_check || !m_check->ended)
        return false;
    const CatalogIntegrity result = m_check->result;
    m_check.reset();
    if (!result.damaged)
        return false;
    // The connection closed before the file is moved aside.
    m_store.reset();
    CatalogOpening opening = OpenSqliteCatalog(m_path, CatalogCheck::FoundDamaged);
    m_store = std::move(opening.store);
    m_notices << opening.notices;
    m_failure = opening.reason;
    return true;
}

QString ObjectCatalog::failure() const
{
    if (!m_failure.isEmpty())
        return m_failure;
    return m_store ? m_store->lastError() : QString();
}

QStringList ObjectCatalog::takeNotices()
{
    if (m_store)
        m_notices << m_store->takeNotices();
    return std::exchange(m_notices, {});
}

QString ObjectCatalog::systemUser()
{
    for (const char *name : {"USER", "LOGNAME", "USERNAME"}) {
        const QString user = qEnvironmentVariable(name);
        if (!user.isEmpty())
            return user;
    }
    // A service or a shell without a login has no such variable, yet a user.
    if (const passwd *account = getpwuid(geteuid()))
        return QString::fromLocal8Bit(account->pw_name);
    return {};
}

QDateTime ObjectCatalog::nextTime(const QDateTime &wanted)
{
    // Later than this process's previous entry, so that a timeline keeps the
    // order of entries made in one millisecond.
    QDateTime now = wanted.isValid() ? wanted.toUTC() : QDateTime::currentDateTimeUtc();
    if (m_lastTime.isValid() && now <= m_lastTime)
        now = m_lastTime.addMSecs(1);
    m_lastTime = now;
    return now;
}

std::optional<CatalogEntry> ObjectCatalog::record(NewCatalogEntry entry)
{
    CatalogStore *target = store();
    if (!target)
        return std::nullopt;
    entry.time = nextTime(entry.time);
    if (entry.user.isEmpty())
        entry.user = systemUser();
    if (entry.version.isEmpty())
        entry.version = QStringLiteral(SR5N_VERSION);
    return target->record(entry);
}

CatalogEntry ObjectCatalog::sendOn(const CatalogEntry &kept)
{
    CatalogLink *shared = link();
    if (!shared)
        return kept;
    shared->ownOperation({kept.source});
    shared->sendWaiting();
    for (const CatalogEntry &sent : shared->lastSent())
        if (sent.source == kept.source)
            return sent;
    return kept;
}

NewCatalogEntry ObjectCatalog::NewEntry(CatalogOperation operation, const QString &port,
                                        const QByteArray &snc, const ConfigModel &model,
                                        const QString &note)
{
    const ConfigurationFacts facts = ConfigurationFacts::of(model);
    NewCatalogEntry entry;
    entry.time = QDateTime::currentDateTimeUtc();
    entry.operation = operation;
    entry.port = port;
    entry.configuration = snc;
    entry.codes = facts.codes;
    entry.phones = facts.phones;
    entry.note = note;
    entry.user = systemUser();
    entry.version = QStringLiteral(SR5N_VERSION);
    return entry;
}

std::optional<CatalogEntry> ObjectCatalog::record(CatalogOperation operation, const QString &port,
                                                  const QByteArray &snc, const ConfigModel &model,
                                                  const QString &note)
{
    return record(NewEntry(operation, port, snc, model, note));
}

std::optional<CatalogEntry> ObjectCatalog::recordFile(CatalogOperation operation,
                                                      const QString &port, const QByteArray &snc,
                                                      const QString &note, const QString &objectId)
{
    NewCatalogEntry entry;
    entry.operation = operation;
    entry.port = port;
    entry.configuration = snc;
    entry.note = note;
    entry.objectId = objectId;
    if (const std::optional<ConfigurationFacts> facts = ConfigurationFacts::ofFile(snc)) {
        entry.codes = facts->codes;
        entry.phones = facts->phones;
    }
    return record(entry);
}

} // namespace sr5n
