#include "CatalogFixture.h"

#include "catalog/CatalogSalvage.h"
#include "catalog/SqliteCatalog.h"
#include "common/ExpectedValue.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace sr5n {
namespace {

using test::SampleConfiguration;

constexpr int kObjects = 200;
constexpr qsizetype kPage = 4096;

SampleConfiguration sampleOf(int i)
{
    SampleConfiguration sample;
    sample.object1 = QString::number(1000 + i);
    return sample;
}

// Where the file holds bytes that only object `i`'s configuration has: the
// place where it first differs from another one's.
qsizetype placeOfConfiguration(const QByteArray &file, int i)
{
    const QByteArray mine = sampleOf(i).bytes();
    const QByteArray other = sampleOf(i + 1).bytes();
    qsizetype differs = 0;
    while (differs < mine.size() && mine.at(differs) == other.at(differs))
        ++differs;
    return file.indexOf(mine.mid(std::max<qsizetype>(0, differs - 24), 48));
}

struct Damage {
    const char *name;
    std::function<void(QByteArray &)> apply;
    // The objects (by number) whose entries must come through.
    QList<int> kept;
    // The objects whose entries must be lost.
    QList<int> lost;
    bool wholeObjects; // every object row comes through
};

void PrintTo(const Damage &damage, std::ostream *out)
{
    *out << damage.name;
}

class CatalogSalvage : public ::testing::TestWithParam<Damage>
{
};

TEST_P(CatalogSalvage, KeepsEveryRowThatReadsAndCountsWhatWasLost)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("catalog.sqlite"));
    {
        CatalogOpening opening = OpenSqliteCatalog(path);
        ASSERT_TRUE(opening.store) << qPrintable(opening.failure);
        for (int i = 0; i < kObjects; ++i)
            ASSERT_TRUE(opening.store->record(test::ReadEntry(sampleOf(i))));
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    file.close();
    ASSERT_FALSE(QFile::exists(path + QStringLiteral("-wal")) &&
                 QFileInfo(path + QStringLiteral("-wal")).size() > 0);
    GetParam().apply(bytes);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();

    CatalogOpening opening = OpenSqliteCatalog(path);
    ASSERT_TRUE(opening.store) << qPrintable(opening.failure);
    ASSERT_EQ(opening.notices.size(), 1);
    CatalogStore &store = *opening.store;

    QSet<QString> entryCodes;
    int entries = 0;
    const QList<CatalogObject> objects = valueOf(store.objects());
    for (const CatalogObject &object : objects) {
        for (const CatalogEntry &entry : valueOf(store.timeline(object.id))) {
            ++entries;
            entryCodes << entry.codes.section(u' ', 0, 0);
            const std::optional<QByteArray> configuration = store.configuration(entry.hash);
            ASSERT_TRUE(configuration);
            EXPECT_EQ(ContentHash(*configuration), entry.hash);
        }
    }
    for (const int i : GetParam().kept)
        EXPECT_TRUE(entryCodes.contains(QString::number(1000 + i))) << i;
    for (const int i : GetParam().lost)
        EXPECT_FALSE(entryCodes.contains(QString::number(1000 + i))) << i;
    if (GetParam().wholeObjects) {
        EXPECT_EQ(objects.size(), kObjects);
    }

    // The notice tells exactly what the new catalogue holds, and what it lacks.
    const QString notice = opening.notices.first();
    const QRegularExpression counts(QStringLiteral(
        "Сохранено объектов: (\\d+), записей: (\\d+), конфигураций: (\\d+)\\. Не удалось "
        "прочитать объектов: (?:не менее )?(\\d+), записей: (?:не менее )?(\\d+), "
        "конфигураций: (?:не менее )?(\\d+)"));
    const QRegularExpressionMatch told = counts.match(notice);
    ASSERT_TRUE(told.hasMatch()) << qPrintable(notice);
    EXPECT_EQ(told.captured(1).toInt(), objects.size());
    EXPECT_EQ(told.captured(2).toInt(), entries);
    EXPECT_LT(entries, kObjects) << "some damage must show";
    if (!notice.contains(QStringLiteral("не менее"))) {
        EXPECT_EQ(told.captured(2).toInt() + told.captured(5).toInt(), kObjects);
        EXPECT_EQ(told.captured(3).toInt() + told.captured(6).toInt(), kObjects);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Damages, CatalogSalvage,
    ::testing::Values(
        // Rows after the damaged pages read as well as those before them.
        Damage{"GarbageInTheMiddle",
               [](QByteArray &bytes) {
                   const qsizetype middle = bytes.size() / 2 / kPage * kPage;
                   bytes.replace(middle, 32 * 1024, QByteArray(32 * 1024, '\xa5'));
               },
               {0, 1, 2, 197, 198, 199},
               {},
               false},
        Damage{"CutInHalf",
               [](QByteArray &bytes) { bytes.truncate(bytes.size() / 2); },
               {0, 1, 2},
               {199},
               false},
        // One configuration unreadable: only its entry goes, every object stays.
        Damage{"ADamagedConfigurationPage",
               [](QByteArray &bytes) {
                   const qsizetype place = placeOfConfiguration(bytes, 120);
                   ASSERT_GT(place, 0);
                   const qsizetype page = place / kPage * kPage;
                   bytes.replace(page, kPage, QByteArray(kPage, '\x33'));
               },
               {0, 119, 121, 199},
               {120},
               true}));

} // namespace
} // namespace sr5n
