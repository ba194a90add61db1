#include "catalog/SqliteDialect.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace sr5n {

namespace {

constexpr int kBusyWaitMs = 60000;

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
    // one: SQLITE_FULL, and SQLITE_IOERR (a write cut short by a size limit
    // or a failing disk).
    bool number = false;
    const int code = error.nativeErrorCode().toInt(&number) & 0xff;
    if (number && code == 13)
        return QStringLiteral("на диске нет места");
    if (number && code == 10)
        return QStringLiteral("не удалось записать файл на диск: на диске нет места или он "
                              "недоступен");
    return error.text();
}

QString SqliteDialect::connectOptions(bool readOnly)
{
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyWaitMs);
    if (readOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    return options;
}

} // namespace sr5n
