#pragma once

#include "catalog/CatalogStore.h"
#include "catalog/CatalogTypes.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QObject;
class QThread;

namespace sr5n {

class ConfigModel;

// The catalogue as the program uses it: opened on first use (the earlier
// versions' history taken in then), entries recorded with the user, the
// program's version and a time later than this process's previous entry.
// Opening it never throws the user into a dialog: what he must be told once
// waits in takeNotices(), a failure in failure(). Used on one thread only,
// the catalogue service's (CatalogService), which owns its connections.
class ObjectCatalog final
{
public:
    // `path`: the SQLite file; `historyFolder`: the earlier history, taken
    // once (empty: none).
    // A PostgreSQL address as `path` names the team's catalogue, which keeps
    // what it cannot send in the local catalogue at `localPath`.
    explicit ObjectCatalog(QString path, QString historyFolder = QString(),
                           QString localPath = QString());
    ~ObjectCatalog();

    ObjectCatalog(const ObjectCatalog &) = delete;
    ObjectCatalog &operator=(const ObjectCatalog &) = delete;

    const QString &path() const { return m_path; }
    const QString &historyFolder() const { return m_historyFolder; }

    // The store, opened now unless it was; null when it cannot be opened.
    CatalogStore *store();
    // Why the store could not be opened ("папка недоступна для записи"), or
    // why the last change failed.
    QString failure() const;
    // What the user is told once about the opening; emptied by the call.
    QStringList takeNotices();

    // Which catalogue is in use and its state: the local file (read-only or
    // not), the server on line or not, entries waiting to be sent.
    QString statusText();
    // The store's network link, when it has one (the team's server).
    CatalogLink *link();
    // Opens the store unless it was; the team's server, when it was away, is
    // tried again (what waits for it is then sent).
    void reconnect();
    // The server asks for a password (or refused the one given): the
    // question to put to the user; empty when none is needed.
    QString passwordQuestion();
    // Tries the server with a password, for this run only; true when in
    // (what waits for it is then sent).
    bool tryPassword(const QString &password);

    // Records a configuration of the window (or of a copy) as .snc bytes.
    std::optional<CatalogEntry> record(CatalogOperation operation, const QString &port,
                                       const QByteArray &snc, const ConfigModel &model,
                                       const QString &note = QString());
    // Records an entry made by NewEntry(); its time is kept later than this
    // process's previous entry.
    std::optional<CatalogEntry> record(NewCatalogEntry entry);
    // The entry of a configuration of the window (or of a copy) as .snc
    // bytes, made now: who, the program's version, the numbers inside.
    static NewCatalogEntry NewEntry(CatalogOperation operation, const QString &port,
                                    const QByteArray &snc, const ConfigModel &model,
                                    const QString &note = QString());
    // An entry kept for a server sent on now, with whatever else waits for
    // it: the server's version of the entry when it went, else `kept`.
    CatalogEntry sendOn(const CatalogEntry &kept);
    // Records .snc bytes, found out by decoding them; into `objectId` when given.
    std::optional<CatalogEntry> recordFile(CatalogOperation operation, const QString &port,
                                           const QByteArray &snc, const QString &note,
                                           const QString &objectId = QString());

    // Opened without the integrity check, which then runs apart (startCheck):
    // a large file takes seconds to check.
    void setCheckApart(bool apart) { m_checkApart = apart; }
    // Checks the opened file on a thread of its own, once; `done` is called in
    // `context`'s thread when the check ends. False when there is nothing to check.
    bool startCheck(QObject *context, std::function<void()> done);
    // Whether a check runs or waits for finishCheck().
    bool checkPending() const { return m_check != nullptr; }
    // After the check ended: a damaged file is closed, kept aside and a new
    // catalogue made of what reads of it (the notice waits in takeNotices()).
    // Call it where no store pointer is held. True when the store was replaced.
    bool finishCheck();
    // Runs on the checking thread before the check (a test holds it there).
    void setBeforeCheck(std::function<void()> hold) { m_beforeCheck = std::move(hold); }

    // The name of the system user who records.
    static QString systemUser();

private:
    QDateTime nextTime(const QDateTime &wanted);

    QString m_path;
    QString m_historyFolder;
    QString m_localPath;
    std::unique_ptr<CatalogStore> m_store;
    bool m_tried = false;
    QString m_failure;
    QStringList m_notices;
    QDateTime m_lastTime;
    bool m_checkApart = false;
    bool m_checkStarted = false;
    struct Check;
    std::unique_ptr<Check> m_check;
    std::function<void()> m_beforeCheck;
};

} // namespace sr5n
