#include "catalog/SqliteDialect.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace sr5n {

namespace {

// How long a statement waits for another process's write before it fails as
// busy (a write takes milliseconds); a write transaction is begun again
// while other writers commit (beginWrite()), so a file held by a writer
// that commits nothing for about a second is told as busy instead of
// holding the caller with it.
constexpr int kBusyWaitMs = 300;

} // namespace

QString SqliteDialect::driver() const
{
    return QStringLiteral("QSQLITE");
}

QString SqliteDialect::blobType() const
{
    return QStringLiteral("BLOB");
}

QString SqliteDialect::integerType() const
{
    return QStringLiteral("INTEGER");
}

QStringList SqliteDialect::connectionStatements() const
{
    return {QStringLiteral("PRAGMA busy_timeout = %1").arg(kBusyWaitMs),
            QStringLiteral("PRAGMA journal_mode = WAL"),
            QStringLiteral("PRAGMA synchronous = FULL"),
            QStringLiteral("PRAGMA foreign_keys = ON")};
}

QStringList SqliteDialect::beginWriteStatements() const
{
    return {QStringLiteral("BEGIN IMMEDIATE")};
}

QString SqliteDialect::hasMetaTable() const
{
    return QStringLiteral(
        "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'catalog_meta'");
}

QString SqliteDialect::integrityProblem(QSqlDatabase &db) const
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA quick_check")))
        return query.lastError().text();
    QStringList problems;
    while (query.next()) {
        const QString line = query.value(0).toString();
        if (line != QLatin1String("ok"))
            problems << line;
    }
    return problems.join(u"; ");
}

QString SqliteDialect::problemText(const QSqlError &error) const
{
    // SQLite's result codes, the primary one in the low byte of an extended
    // one: SQLITE_FULL, SQLITE_IOERR (a write cut short by a size limit or a
    // failing disk), SQLITE_BUSY and SQLITE_LOCKED (another process writes).
    bool number = false;
    const int code = error.nativeErrorCode().toInt(&number) & 0xff;
    if (isBusy(error))
        return QStringLiteral("файл базы занят другой программой: она начала запись в него и не "
                              "завершает ее");
    if (number && code == 13)
        return QStringLiteral("на диске нет места");
    if (number && code == 10)
        return QStringLiteral("не удалось записать файл на диск: на диске нет места или он "
                              "недоступен");
    return error.text();
}

bool SqliteDialect::isBusy(const QSqlError &error) const
{
    // SQLITE_BUSY and SQLITE_LOCKED, with their extended codes.
    bool number = false;
    const int code = error.nativeErrorCode().toInt(&number) & 0xff;
    return number && (code == 5 || code == 6);
}

QString SqliteDialect::progressMark(QSqlDatabase &db) const
{
    // Changes whenever another connection commits to the file.
    QSqlQuery query(db);
    return query.exec(QStringLiteral("PRAGMA data_version")) && query.next()
               ? query.value(0).toString()
               : QString();
}

QString SqliteDialect::connectOptions(bool readOnly)
{
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyWaitMs);
    if (readOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    return options;
}

} // namespace sr5n
