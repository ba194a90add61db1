#include "catalog/PostgresUri.h"

#include <gtest/gtest.h>

namespace sr5n {
namespace {

struct UriCase {
    const char *text;
    const char *host;
    int port;
    const char *user;
    const char *password;
    const char *database;
    const char *options; // for the application "sr5n-test"
    const char *kept;    // what the settings keep
};

void PrintTo(const UriCase &c, std::ostream *os)
{
    *os << c.text;
}

const UriCase Valid[] = {
    {"postgresql://engineer@db.example.org:5433/catalog?sslmode=verify-full", "db.example.org",
     5433, "engineer", "", "catalog",
     "sslmode='verify-full';connect_timeout=5;fallback_application_name='sr5n-test'",
     "postgresql://engineer@db.example.org:5433/catalog?sslmode=verify-full"},
    {"postgres://db.example.org/catalog", "db.example.org", -1, "", "", "catalog",
     "connect_timeout=5;fallback_application_name='sr5n-test'",
     "postgresql://db.example.org/catalog"},
    {"postgresql://", "", -1, "", "", "", "connect_timeout=5;fallback_application_name='sr5n-test'",
     "postgresql://"},
    // A Unix socket's folder, percent-encoded as the host.
    {"postgresql://%2Fvar%2Frun%2Fpostgresql/catalog", "/var/run/postgresql", -1, "", "", "catalog",
     "connect_timeout=5;fallback_application_name='sr5n-test'",
     "postgresql://%2Fvar%2Frun%2Fpostgresql/catalog"},
    {"postgresql://[::1]:5432/catalog", "::1", 5432, "", "", "catalog",
     "connect_timeout=5;fallback_application_name='sr5n-test'", "postgresql://[::1]:5432/catalog"},
    // A password in the URI is used, never kept.
    {"postgresql://ivanov:se%40cret@db/catalog", "db", -1, "ivanov", "se@cret", "catalog",
     "connect_timeout=5;fallback_application_name='sr5n-test'", "postgresql://ivanov@db/catalog"},
    {"postgresql://db/catalog?password=s3&user=petrov", "db", -1, "petrov", "s3", "catalog",
     "connect_timeout=5;fallback_application_name='sr5n-test'", "postgresql://petrov@db/catalog"},
    // Several hosts, tried in turn, go to libpq as its lists.
    {"postgresql://one:5432,two:5433/catalog?target_session_attrs=read-write", "", -1, "", "",
     "catalog",
     "target_session_attrs='read-write';host='one,two';port='5432,5433';connect_timeout=5;"
     "fallback_application_name='sr5n-test'",
     "postgresql://one:5432,two:5433/catalog?target_session_attrs=read-write"},
    {"postgresql:///catalog?host=/tmp/sock&port=5444", "/tmp/sock", 5444, "", "", "catalog",
     "connect_timeout=5;fallback_application_name='sr5n-test'",
     "postgresql://%2Ftmp%2Fsock:5444/catalog"},
    {"postgresql://db/catalog?connect_timeout=10&application_name=o'brien\\x", "db", -1, "", "",
     "catalog",
     "connect_timeout='10';application_name='o\\'brien\\\\x';fallback_application_name='sr5n-test'",
     "postgresql://db/catalog?connect_timeout=10&application_name=o%27brien%5Cx"},
    {"  postgresql://db/%D0%BA%D0%B0%D1%82%D0%B0%D0%BB%D0%BE%D0%B3  ", "db", -1, "", "", "каталог",
     "connect_timeout=5;fallback_application_name='sr5n-test'",
     "postgresql://db/%D0%BA%D0%B0%D1%82%D0%B0%D0%BB%D0%BE%D0%B3"},
};

class ValidUri : public ::testing::TestWithParam<UriCase>
{
};

TEST_P(ValidUri, GivesTheDriverItsPartsAndKeepsNoPassword)
{
    const UriCase &c = GetParam();
    const PostgresUri uri = PostgresUri::parse(QString::fromUtf8(c.text));
    ASSERT_TRUE(uri.isValid()) << uri.error().toStdString();
    EXPECT_EQ(uri.host(), QString::fromUtf8(c.host));
    EXPECT_EQ(uri.port(), c.port);
    EXPECT_EQ(uri.user(), QString::fromUtf8(c.user));
    EXPECT_EQ(uri.password(), QString::fromUtf8(c.password));
    EXPECT_EQ(uri.database(), QString::fromUtf8(c.database));
    EXPECT_EQ(uri.connectOptions(QStringLiteral("sr5n-test")), QString::fromUtf8(c.options));
    EXPECT_EQ(uri.withoutPassword(), QString::fromUtf8(c.kept));

    // What the settings keep reads back as the same server.
    const PostgresUri kept = PostgresUri::parse(uri.withoutPassword());
    ASSERT_TRUE(kept.isValid()) << kept.error().toStdString();
    EXPECT_EQ(kept.withoutPassword(), uri.withoutPassword());
    EXPECT_EQ(kept.connectOptions({}), uri.connectOptions({}));
    EXPECT_TRUE(kept.password().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(PostgresUri, ValidUri, ::testing::ValuesIn(Valid));

struct BadUriCase {
    const char *text;
    const char *error;
};

const BadUriCase Bad[] = {
    {"mysql://db/catalog", "Неверный адрес каталога: он начинается не с «postgresql://»"},
    {"/home/user/objects.sqlite", "Неверный адрес каталога: он начинается не с «postgresql://»"},
    {"postgresql://db:99999/catalog", "Неверный адрес каталога: неверный порт «99999»"},
    {"postgresql://db:54x/catalog", "Неверный адрес каталога: неверный порт «54x»"},
    {"postgresql://db/catalog?port=5432,0", "Неверный адрес каталога: неверный порт «0»"},
    {"postgresql://[::1/catalog", "Неверный адрес каталога: неверный узел «[::1»"},
    {"postgresql://db/catalog?sslmode", "Неверный адрес каталога: неверный параметр «sslmode»"},
    {"postgresql://db/catalog?Bad-Key=1", "Неверный адрес каталога: неверный параметр «Bad-Key=1»"},
    // Qt's driver would split such a value in two.
    {"postgresql://db/catalog?sslrootcert=/a;b",
     "Неверный адрес каталога: значение параметра «sslrootcert» содержит «;»"},
    {"postgresql://db/%zz", "Неверный адрес каталога: неверная последовательность «%»"},
    {"postgresql://db/a%00b", "Неверный адрес каталога: неверная последовательность «%»"},
    {"postgresql://user:%4@db/catalog", "Неверный адрес каталога: неверная последовательность «%»"},
};

void PrintTo(const BadUriCase &c, std::ostream *os)
{
    *os << c.text;
}

class BadUri : public ::testing::TestWithParam<BadUriCase>
{
};

TEST_P(BadUri, IsRefusedWithWhatIsWrong)
{
    const PostgresUri uri = PostgresUri::parse(QString::fromUtf8(GetParam().text));
    EXPECT_FALSE(uri.isValid());
    EXPECT_EQ(uri.error(), QString::fromUtf8(GetParam().error));
}

INSTANTIATE_TEST_SUITE_P(PostgresUri, BadUri, ::testing::ValuesIn(Bad));

} // namespace
} // namespace sr5n
