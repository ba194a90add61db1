#pragma once

#include "catalog/CatalogStore.h"
#include "catalog/PostgresConnector.h"
#include "catalog/PostgresUri.h"

#include <QDateTime>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>
#include <utility>

namespace sr5n {

// The team's catalogue on a PostgreSQL server, as the program uses it. While
// the server answers, everything goes to it. While it does not, device
// operations go on: their entries are recorded in the local catalogue, each
// marked as not yet sent by a source of its own ("offline:UUID"), and are
// sent at the next connection; the server keeps an entry of a source once,
// so an entry is sent exactly once even when the server fails in the middle.
// Reading falls back to the local catalogue; edits of objects wait for the
// server.
class SharedCatalogStore final : public CatalogStore
{
public:
    // The source prefix of entries recorded while the server was away.
    static const QString OfflinePrefix;

    SharedCatalogStore(PostgresUri uri, QString localPath, QString password = {});
    ~SharedCatalogStore() override;

    // Tries the server now (with this password, when given, for this run
    // only); on success sends what waits. True when connected.
    bool connect(const QString &password = {});
    bool connected() const { return m_server != nullptr; }
    // Why the last attempt failed (PasswordNeeded: the window asks for one).
    PostgresConnector::Failure connectFailure() const { return m_connectFailure; }
    const QString &connectProblem() const { return m_connectProblem; }
    // Entries of the local catalogue that wait for the server.
    int unsentCount();
    // "Общий каталог ...: на связи" or why not, and what waits.
    QString statusText();
    const PostgresUri &uri() const { return m_uri; }

    // Copies the local catalogue at `path` into the server: objects matched
    // by their numbers, every entry sent once however often this runs.
    struct Upload {
        int entries = 0;   // sent now
        int known = 0;     // already on the server
        int objects = 0;   // objects of the local catalogue
        int described = 0; // server objects that took a name, address or notes
        QString failure;   // empty: all of it went
    };
    Upload upload(const QString &path);

    QString location() const override;
    bool isReadOnly() const override;
    QString lastError() const override { return m_lastError; }
    QStringList takeNotices() override;

    std::optional<CatalogEntry> record(const NewCatalogEntry &entry) override;
    std::optional<QList<CatalogEntry>> recordAll(const QList<NewCatalogEntry> &entries) override;
    QList<CatalogObject> objects(const QString &search = QString(), qsizetype first = 0,
                                 qsizetype count = -1) override;
    std::optional<qsizetype> objectCount(const QString &search = QString()) override;
    std::optional<CatalogObject> object(const QString &id) override;
    QList<CatalogEntry> timeline(const QString &objectId) override;
    std::optional<CatalogEntry> entry(const QString &id) override;
    std::optional<QByteArray> configuration(const QString &hash) override;
    QList<CatalogEntry> templates() override;
    bool describeObject(const QString &id, const QString &name, const QString &address,
                        const QString &notes) override;
    ObjectEdit editObject(const CatalogObject &seen, const QString &name, const QString &address,
                          const QString &notes) override;
    bool mergeObjects(const QString &into, const QString &from) override;
    bool moveEntry(const QString &entryId, const QString &objectId) override;
    bool setTemplate(const QString &entryId, const QString &name) override;
    std::optional<QString> value(const QString &key) override;
    bool setValue(const QString &key, const QString &value) override;

    // The messages of working with the shared catalogue.
    static QString offlineMessage(const QString &server, const QString &reason);
    static QString sentMessage(const QString &server, int count);
    static QString editsWaitMessage(const QString &server);

private:
    // The store reads go to: the server's, else the local one.
    CatalogStore *reader();
    CatalogStore *local();
    // Opens the server's catalogue and sends what waits; false (and why in
    // m_connectProblem) when it cannot.
    bool open();
    // After a failed call to the server: true when the connection is gone
    // rather than the call refused. A new connection is then tried at once
    // (unless `reconnect` is false); when it fails, the store is offline.
    bool lostServer(bool reconnect = true);
    // A read from the server, else from the local catalogue; asked again on
    // a new connection when the server's was lost.
    template <typename Call>
    auto fromServerOrLocal(Call call) -> decltype(call(std::declval<CatalogStore &>()));
    // Entries recorded on the server, else kept locally as `kept` records them.
    template <typename OnServer, typename Kept>
    auto recordWith(OnServer onServer, Kept kept)
        -> decltype(onServer(std::declval<CatalogStore &>()));
    void goOffline(const QString &reason);
    int sendUnsent();
    bool serverHasSource(const QString &source);
    // Ready for the server, or false when the entries must stay here.
    bool serverTakes();
    bool fail(const QString &error);
    bool serverEdit(const std::function<bool(CatalogStore &)> &edit);

    PostgresUri m_uri;
    QString m_localPath;
    QString m_password;
    std::unique_ptr<CatalogStore> m_server;
    QString m_serverConnection;
    QString m_protection;     // how the server's connection is protected
    QString m_readOnlyReason; // why the server takes no entries
    std::unique_ptr<CatalogStore> m_local;
    bool m_localTried = false;
    QString m_localFailure;
    PostgresConnector::Failure m_connectFailure = PostgresConnector::Failure::None;
    QString m_connectProblem;
    bool m_toldOffline = false;
    QSet<QString> m_toldOnOpening;
    QStringList m_notices;
    QString m_lastError;
};

} // namespace sr5n
