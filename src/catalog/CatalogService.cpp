#include "catalog/CatalogService.h"

#include "catalog/CatalogLocation.h"
#include "catalog/CatalogStore.h"
#include "catalog/ObjectCatalog.h"
#include "catalog/SharedCatalogStore.h"
#include "catalog/SqliteCatalog.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLoggingCategory>
#include <QThread>
#include <QTimer>

#include <mutex>

namespace sr5n {

Q_LOGGING_CATEGORY(lcCatalog, "sr5n.catalog")

namespace {

// Qt SQL's own warnings ("QSqlQuery::exec: database not open", "Unable to
// free statement") after a lost connection are the catalogue's diagnostics,
// not the user's: on the service's threads they go to sr5n.catalog.
thread_local bool onServiceThread = false;
QtMessageHandler previousHandler = nullptr;

void catalogMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (onServiceThread && type == QtWarningMsg &&
        qstrcmp(context.category ? context.category : "default", "default") == 0) {
        qCDebug(lcCatalog).noquote() << message;
        return;
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

void installCatalogMessages()
{
    static std::once_flag installed;
    std::call_once(installed, [] { previousHandler = qInstallMessageHandler(catalogMessages); });
}

// A thread of the service and the object whose events it runs.
QObject *startThread(const QString &name, QThread *&thread)
{
    thread = new QThread;
    thread->setObjectName(name);
    auto *runner = new QObject;
    runner->moveToThread(thread);
    QObject::connect(thread, &QThread::started, runner, [] { onServiceThread = true; });
    QObject::connect(thread, &QThread::finished, runner, &QObject::deleteLater);
    thread->start();
    return runner;
}

} // namespace

CatalogService::CatalogService(CatalogPlace place, QObject *parent)
    : QObject(parent), m_place(std::move(place))
{
    installCatalogMessages();
    m_worker = startThread(QStringLiteral("sr5n-catalog"), m_thread);
    m_keeper = startThread(QStringLiteral("sr5n-catalog-outbox"), m_keeperThread);
}

CatalogService::~CatalogService()
{
    // A job held by a hung server is left to the process's end.
    stop(3000);
}

void CatalogService::post(std::function<void()> work)
{
    ++m_queued;
    QMetaObject::invokeMethod(
        m_worker,
        [this, work = std::move(work)] {
            work();
            --m_queued;
            if (!m_abandoned)
                emit requestEnded();
        },
        Qt::QueuedConnection);
}

void CatalogService::deliver(QPointer<QObject> context, std::function<void()> call)
{
    if (m_abandoned)
        return;
    QMetaObject::invokeMethod(
        this,
        [context, call = std::move(call)] {
            if (context)
                call();
        },
        Qt::QueuedConnection);
}

ObjectCatalog &CatalogService::catalog()
{
    if (!m_catalog) {
        QMutexLocker lock(&m_mutex);
        const CatalogPlace place = m_place;
        lock.unlock();
        m_catalog =
            std::make_unique<ObjectCatalog>(place.path, place.historyFolder, place.localPath);
        m_catalog->setCheckApart(place.checkApart);
    }
    return *m_catalog;
}

void CatalogService::use(CatalogPlace place)
{
    {
        QMutexLocker lock(&m_mutex);
        m_place = place;
    }
    // The old catalogue's connections are closed on their own thread.
    post([this] {
        m_catalog.reset();
        catalog();
    });
}

void CatalogService::collectNotices()
{
    if (!m_catalog)
        return;
    const QStringList notices = m_catalog->takeNotices();
    if (notices.isEmpty())
        return;
    {
        QMutexLocker lock(&m_mutex);
        m_notices << notices;
    }
    if (!m_abandoned)
        emit noticesWaiting();
}

QStringList CatalogService::takeNotices()
{
    QMutexLocker lock(&m_mutex);
    return std::exchange(m_notices, {});
}

quint64 CatalogService::nextTicket(const QString &channel)
{
    QMutexLocker lock(&m_mutex);
    return ++m_latest[channel];
}

bool CatalogService::isLatest(const QString &channel, quint64 ticket)
{
    QMutexLocker lock(&m_mutex);
    return m_latest[channel] == ticket;
}

void CatalogService::search(QObject *context, const QString &text, qsizetype first, qsizetype count,
                            Answer<ObjectPage> answer)
{
    ask<ObjectPage>(
        context,
        [text, first, count](ObjectCatalog &objects) -> Expected<ObjectPage> {
            CatalogStore *store = objects.store();
            if (!store)
                return Failure{objects.failure()};
            const Expected<qsizetype> total = store->objectCount(text);
            if (!total)
                return Failure{total.reason()};
            Expected<QList<CatalogObject>> found = store->objects(text, first, count);
            if (!found)
                return Failure{found.reason()};
            ObjectPage page;
            page.total = qMax(*total, first + found->size());
            page.objects = std::move(*found);
            page.status = objects.statusText();
            page.readOnly = store->isReadOnly();
            return page;
        },
        std::move(answer),
        QStringLiteral("search:%1").arg(reinterpret_cast<quintptr>(context), 0, 16));
}

void CatalogService::page(QObject *context, const QString &text, qsizetype first, qsizetype count,
                          Answer<QList<CatalogObject>> answer)
{
    ask<QList<CatalogObject>>(
        context,
        [text, first, count](ObjectCatalog &objects) -> Expected<QList<CatalogObject>> {
            CatalogStore *store = objects.store();
            if (!store)
                return Failure{objects.failure()};
            return store->objects(text, first, count);
        },
        std::move(answer));
}

void CatalogService::record(NewCatalogEntry entry, bool findLastWrite, QObject *context,
                            Answer<RecordedEntry> answer)
{
    ++m_unkept;
    QPointer<QObject> to(context);
    if (IsSharedCatalog(m_place.path)) {
        QMetaObject::invokeMethod(
            m_keeper,
            [this, path = m_place.localPath, entry = std::move(entry), findLastWrite, to,
             answer = std::move(answer)]() mutable {
                keepForServer(path, std::move(entry), findLastWrite, to, std::move(answer));
            },
            Qt::QueuedConnection);
        return;
    }
    post([this, entry = std::move(entry), findLastWrite, to, answer = std::move(answer)] {
        ObjectCatalog &objects = catalog();
        const std::optional<CatalogEntry> kept = objects.record(entry);
        --m_unkept;
        if (!m_abandoned)
            emit requestEnded();
        if (kept) {
            sendOn(*kept, findLastWrite, to, answer);
            return;
        }
        // A catalogue that only reads said so when it opened.
        CatalogStore *store = objects.store();
        const QString reason = store && store->isReadOnly() ? QString() : objects.failure();
        collectNotices();
        if (answer)
            deliver(to, [answer, reason] { answer(Failure{reason}); });
    });
}

void CatalogService::keepForServer(const QString &path, NewCatalogEntry entry, bool findLastWrite,
                                   QPointer<QObject> context, Answer<RecordedEntry> answer)
{
    QString failure;
    if (!m_outbox || m_outboxPath != path) {
        m_outbox.reset();
        CatalogOpening opening = OpenSqliteCatalog(path);
        m_outbox = std::move(opening.store);
        m_outboxPath = path;
        failure = opening.failure;
    }
    // Later than this process's previous entry, as the catalogue keeps them.
    if (m_lastKept.isValid() && entry.time <= m_lastKept)
        entry.time = m_lastKept.addMSecs(1);
    m_lastKept = entry.time;
    const std::optional<CatalogEntry> kept =
        m_outbox ? m_outbox->record(SharedCatalogStore::OutboxEntry(std::move(entry)))
                 : std::nullopt;
    if (m_outbox && !kept)
        failure = m_outbox->lastError();
    // Handed on before it counts as kept, so that a wait for the whole queue
    // never finds it in between.
    if (kept) {
        post([this, kept = *kept, findLastWrite, context, answer = std::move(answer)] {
            sendOn(kept, findLastWrite, context, answer);
        });
    } else if (answer) {
        deliver(context, [answer, failure] { answer(Failure{failure}); });
    }
    --m_unkept;
    if (!m_abandoned)
        emit requestEnded();
}

void CatalogService::sendOn(const CatalogEntry &kept, bool findLastWrite, QPointer<QObject> context,
                            Answer<RecordedEntry> answer)
{
    ObjectCatalog &objects = catalog();
    CatalogStore *store = objects.store();
    RecordedEntry recorded{store ? objects.sendOn(kept) : kept, std::nullopt, {}};
    if (store && findLastWrite) {
        const Expected<std::optional<CatalogEntry>> written =
            store->lastWrite(recorded.entry.objectId);
        if (written && *written && (*written)->hash != recorded.entry.hash) {
            if (const std::optional<QByteArray> bytes = store->configuration((*written)->hash)) {
                recorded.lastWrite = *written;
                recorded.lastWriteBytes = *bytes;
            }
        }
    }
    collectNotices();
    if (answer)
        deliver(context, [answer, recorded] { answer(recorded); });
}

void CatalogService::startCheck()
{
    post([this] {
        catalog().startCheck(m_worker, [this] {
            const bool replaced = m_catalog && m_catalog->finishCheck();
            collectNotices();
            if (!m_abandoned)
                emit checkFinished(replaced);
        });
    });
}

bool CatalogService::wait(Until until, int ms)
{
    const auto done = [this, until] {
        return until == Until::Kept ? m_unkept.load() == 0 : idle();
    };
    const QDeadlineTimer deadline(ms);
    m_interrupted = false;
    for (;;) {
        // Answers already given are delivered (they may ask more).
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        if (done())
            return true;
        if (m_interrupted || deadline.hasExpired())
            return false;
        QEventLoop loop;
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        QObject::connect(this, &CatalogService::requestEnded, &loop, [&] {
            if (done())
                loop.quit();
        });
        limit.start(std::max<qint64>(deadline.remainingTime(), 0));
        m_waiting = &loop;
        if (!done())
            loop.exec();
        m_waiting = nullptr;
    }
}

void CatalogService::interruptWait()
{
    m_interrupted = true;
    if (m_waiting)
        m_waiting->quit();
}

bool CatalogService::stop(int ms)
{
    if (m_keeperThread) {
        // The outbox is a local file: its work ends in moments.
        QMetaObject::invokeMethod(
            m_keeper,
            [this] {
                m_outbox.reset();
                QThread::currentThread()->quit();
            },
            Qt::QueuedConnection);
        if (m_keeperThread->wait(std::max(ms, 1000)))
            delete m_keeperThread;
        m_keeperThread = nullptr;
    }
    if (!m_thread)
        return true;
    // After the requests asked: the connections are closed on their own thread.
    post([this] {
        m_catalog.reset();
        QThread::currentThread()->quit();
    });
    if (!m_thread->wait(ms)) {
        m_abandoned = true;
        m_thread = nullptr;
        return false;
    }
    delete m_thread;
    m_thread = nullptr;
    return true;
}

} // namespace sr5n
