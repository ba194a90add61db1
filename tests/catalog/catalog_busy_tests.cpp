// A local catalogue file that another program holds for writing and commits
// nothing: the write is refused as busy within about a second, never held
// for a minute; writers that commit one after another only take turns.
#include "CatalogFixture.h"

#include "catalog/SqliteCatalog.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "common/QtPrinters.h"

#include <gtest/gtest.h>

namespace sr5n {
namespace {

const QString BusyReason =
    QStringLiteral("файл базы занят другой программой: она начала запись в него и не завершает ее");

// Another program's connection that holds the file's write lock while it lives.
class HeldFile
{
public:
    explicit HeldFile(const QString &path)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        m_held = db.open() && QSqlQuery(db).exec(QStringLiteral("BEGIN IMMEDIATE"));
    }
    ~HeldFile()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    bool held() const { return m_held; }

private:
    QString m_name = QStringLiteral("other-program");
    bool m_held = false;
};

TEST(CatalogBusy, AFileHeldByAnotherWriterIsToldBusyWithinASecond)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("catalog.sqlite"));
    CatalogOpening opening = OpenSqliteCatalog(path);
    ASSERT_TRUE(opening.store) << opening.failure.toStdString();
    {
        HeldFile other(path);
        ASSERT_TRUE(other.held());
        QElapsedTimer clock;
        clock.start();
        EXPECT_FALSE(opening.store->record(test::ReadEntry(test::SampleOf("0412"))));
        EXPECT_LT(clock.elapsed(), 3000);
        EXPECT_EQ(opening.store->lastError(), BusyReason);
    }
    EXPECT_TRUE(opening.store->record(test::ReadEntry(test::SampleOf("0412"))))
        << opening.store->lastError().toStdString();
}

// sr5n-cli's import into a held file ends within seconds with the reason.
TEST(CatalogBusy, AnImportIntoAHeldFileEndsWithTheReason)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("catalog.sqlite"));
    ASSERT_TRUE(OpenSqliteCatalog(path).store);
    const QString snc = folder.filePath(QStringLiteral("object.snc"));
    QFile file(snc);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(test::SampleOf("0412").bytes());
    file.close();
    HeldFile other(path);
    ASSERT_TRUE(other.held());
    QProcess cli;
    QElapsedTimer clock;
    clock.start();
    cli.start(QStringLiteral(SR5N_BIN_DIR "/sr5n-cli"),
              {QStringLiteral("objects"), QStringLiteral("import"), snc,
               QStringLiteral("--catalog"), path});
    ASSERT_TRUE(cli.waitForFinished(30000));
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_NE(cli.exitCode(), 0);
    EXPECT_TRUE(QString::fromUtf8(cli.readAllStandardError())
                    .contains(QStringLiteral("Невозможно записать конфигурацию в базу объектов: ") +
                              BusyReason));
}

} // namespace
} // namespace sr5n
