#pragma once

#include "catalog/CatalogTypes.h"
#include "common/Expected.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QThread;

namespace sr5n {

class ObjectCatalog;

// Where the service's catalogue is: a SQLite file or a server's address, the
// earlier versions' history folder (taken into a local file once), and the
// local catalogue in which a server's entries wait until it has them.
struct CatalogPlace {
    QString path;
    QString historyFolder;
    QString localPath;
    // The integrity check of a local file runs apart from its opening.
    bool checkApart = false;
};

// A page of the objects a search finds, how many it finds in all, and the
// catalogue's state when it was asked.
struct ObjectPage {
    qsizetype total = 0;
    QList<CatalogObject> objects;
    QString status;
    bool readOnly = false;
};

// An entry as recorded, and for a read into the window, the object's last
// write before it with its configuration.
struct RecordedEntry {
    CatalogEntry entry;
    std::optional<CatalogEntry> lastWrite;
    QByteArray lastWriteBytes;
};

// The catalogue of objects behind a thread of its own. It owns every database
// connection (Qt SQL connections serve only the thread that made them), takes
// requests in a queue and answers each with Expected<T> in the asker's
// thread, so that nothing there waits for a database or a network. A new kind
// of request is a job on ObjectCatalog given to ask(); searches that a newer
// one made stale are dropped before they run. The entries for a server are
// kept in the local catalogue by a second thread of their own, so that a
// server that holds the first one never holds an entry back from the disk.
class CatalogService final : public QObject
{
    Q_OBJECT

public:
    template <typename T> using Job = std::function<Expected<T>(ObjectCatalog &)>;
    template <typename T> using Answer = std::function<void(Expected<T>)>;

    // Starts the thread; the catalogue is opened by the first request.
    explicit CatalogService(CatalogPlace place, QObject *parent = nullptr);
    ~CatalogService() override;

    CatalogService(const CatalogService &) = delete;
    CatalogService &operator=(const CatalogService &) = delete;

    // Another catalogue for the requests asked after this.
    void use(CatalogPlace place);
    const CatalogPlace &place() const { return m_place; }

    // Runs `job` after the requests asked before it; `answer` is called in
    // this object's thread, unless `context` (an object of that thread) is
    // gone by then. A request asked under a `channel` is dropped unanswered
    // when a newer one of the same channel is asked before it runs.
    template <typename T>
    void ask(QObject *context, Job<T> job, Answer<T> answer, const QString &channel = QString());
    // Runs `job` and waits for its answer (the command line, tests).
    template <typename T> Expected<T> await(Job<T> job);

    // The count and a page of the objects a search finds, in one request;
    // of the searches asked by one `context`, only the newest runs.
    void search(QObject *context, const QString &text, qsizetype first, qsizetype count,
                Answer<ObjectPage> answer);
    // More objects of a search already counted.
    void page(QObject *context, const QString &text, qsizetype first, qsizetype count,
              Answer<QList<CatalogObject>> answer);

    // Records an entry without waiting for it: kept in the catalogue (for a
    // server: in the local outbox first), then sent on in the background.
    // `answer` gets the entry as the catalogue keeps it, and with
    // `findLastWrite` the object's last write before it.
    void record(NewCatalogEntry entry, bool findLastWrite, QObject *context,
                Answer<RecordedEntry> answer);

    // The integrity check of a local file run apart; checkFinished() tells its end.
    void startCheck();

    // What the user is told once (a server away, entries sent, a damaged file
    // kept aside); emptied by the call. noticesWaiting() tells they came.
    QStringList takeNotices();

    // Waits, handling events, until every entry asked to be recorded so far
    // is kept (Kept) or every request asked so far is answered (Idle), at
    // most `ms`; interruptWait() ends it early. True when it came.
    enum class Until { Kept, Idle };
    bool wait(Until until, int ms);
    void interruptWait();
    bool idle() const { return m_queued.load() == 0 && m_unkept.load() == 0; }

    // Ends the thread after the requests asked; false when one still runs
    // after `ms`: it is left to the process's end (and a server keeps an
    // entry once, so what it was sending is sent again later).
    bool stop(int ms);

signals:
    void noticesWaiting();
    // The integrity check ended; `replaced`: a damaged file was kept aside.
    void checkFinished(bool replaced);
    // Internal: a request ended (waits are woken by it).
    void requestEnded();

private:
    void post(std::function<void()> work);
    // On the keeper's thread: `entry` kept in the local catalogue at `path`
    // for the server, then handed to the service's thread to be sent.
    void keepForServer(const QString &path, NewCatalogEntry entry, bool findLastWrite,
                       QPointer<QObject> context, Answer<RecordedEntry> answer);
    // On the service's thread: `kept` sent on, the answer given.
    void sendOn(const CatalogEntry &kept, bool findLastWrite, QPointer<QObject> context,
                Answer<RecordedEntry> answer);
    // On the service's thread: the catalogue, made on first use.
    ObjectCatalog &catalog();
    void collectNotices();
    quint64 nextTicket(const QString &channel);
    bool isLatest(const QString &channel, quint64 ticket);
    // In this object's thread, unless `context` went.
    void deliver(QPointer<QObject> context, std::function<void()> call);

    CatalogPlace m_place;
    QThread *m_thread = nullptr;
    QObject *m_worker = nullptr;              // lives on m_thread
    std::unique_ptr<ObjectCatalog> m_catalog; // touched on m_thread only
    QThread *m_keeperThread = nullptr;
    QObject *m_keeper = nullptr; // lives on m_keeperThread
    // Touched on m_keeperThread only: the local catalogue entries wait in.
    std::unique_ptr<class CatalogStore> m_outbox;
    QString m_outboxPath;
    QDateTime m_lastKept;
    std::atomic<int> m_queued{0};
    std::atomic<int> m_unkept{0};
    std::atomic<bool> m_abandoned{false};
    QMutex m_mutex; // guards what follows
    QStringList m_notices;
    std::map<QString, quint64> m_latest;
    QEventLoop *m_waiting = nullptr;
    bool m_interrupted = false;
};

template <typename T>
void CatalogService::ask(QObject *context, Job<T> job, Answer<T> answer, const QString &channel)
{
    const quint64 ticket = channel.isEmpty() ? 0 : nextTicket(channel);
    QPointer<QObject> to(context);
    post([this, ticket, channel, to, job = std::move(job), answer = std::move(answer)] {
        if (ticket != 0 && !isLatest(channel, ticket))
            return;
        auto result = std::make_shared<Expected<T>>(job(catalog()));
        collectNotices();
        if (answer)
            deliver(to, [answer, result] { answer(std::move(*result)); });
    });
}

template <typename T> Expected<T> CatalogService::await(Job<T> job)
{
    std::optional<Expected<T>> result;
    QEventLoop loop;
    ask<T>(this, std::move(job), [&result, &loop](Expected<T> answer) {
        result.emplace(std::move(answer));
        loop.quit();
    });
    if (!result)
        loop.exec();
    return std::move(*result);
}

} // namespace sr5n
