#include "catalog/PostgresUri.h"

#include "common/QtPrinters.h"

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

// In the expected options: "{limits}" stands for the statement and lock
// limits, "{tcp}" for the keepalives and the TCP user time-out.
const UriCase Valid[] = {
    {"postgresql://engineer@db.example.org:5433/catalog?sslmode=verify-full", "db.example.org",
     5433, "engineer", "", "catalog",
     "sslmode='verify-full';{limits};connect_timeout=5;{tcp};fallback_application_name='sr5n-test'",
     "postgresql://engineer@db.example.org:5433/catalog?sslmode=verify-full"},
    {"postgres://db.example.org/catalog", "db.example.org", -1, "", "", "catalog",
     "{limits};sslmode=verify-full;connect_timeout=5;{tcp};fallback_application_name='sr5n-test'",
     "postgresql://db.example.org/catalog"},
    {"postgresql://", "", -1, "", "", "",
     "{limits};connect_timeout=5;{tcp};fallback_application_name='sr5n-test'", "postgresql://"},
    // A Unix socket's folder, percent-encoded as the host.
    {"postgresql://%2Fvar%2Frun%2Fpostgresql/catalog", "/var/run/postgresql", -1, "", "", "catalog",
     "{limits};connect_timeout=5;{tcp};fallback_application_name='sr5n-test'",
     "postgresql://%2Fvar%2Frun%2Fpostgresql/catalog"},
    {"postgresql://[::1]:5432/catalog", "::1", 5432, "", "", "catalog",
     "{limits};connect_timeout=5;{tcp};fallback_application_name='sr5n-test'",
     "postgresql://[::1]:5432/catalog"},
    // A password in the URI is used, never kept.
    {"postgresql://ivanov:se%40cret@db/catalog", "db", -1, "ivanov", "se@cret", "catalog",
     "{limits};sslmode=verify-full;connect_timeout=5;{tcp};fallback_application_name='sr5n-test'",
     "postgresql://ivanov@db/catalog"},
    {"postgresql://db/catalog?password=s3&user=petrov", "db", -1, "petrov", "s3", "catalog",
     "{limits};sslmode=verify-full;connect_timeout=5;{tcp};fallback_application_name='sr5n-test'",
     "postgresql://petrov@db/catalog"},
    // Several hosts, tried in turn, go to libpq as its lists.
    {"postgresql://one:5432,two:5433/catalog?target_session_attrs=read-write", "", -1, "", "",
     "catalog",
     "target_session_attrs='read-write';{limits};host='one,two';port='5432,5433';"
     "sslmode=verify-full;connect_timeout=5;{tcp};fallback_application_name='sr5n-test'",
     "postgresql://one:5432,two:5433/catalog?target_session_attrs=read-write"},
    {"postgresql:///catalog?host=/tmp/sock&port=5444", "/tmp/sock", 5444, "", "", "catalog",
     "{limits};connect_timeout=5;{tcp};fallback_application_name='sr5n-test'",
     "postgresql://%2Ftmp%2Fsock:5444/catalog"},
    {"postgresql://db/catalog?connect_timeout=10&application_name=o'brien\\x", "db", -1, "", "",
     "catalog",
     "connect_timeout='10';application_name='o\\'brien\\\\x';{limits};sslmode=verify-full;{tcp};"
     "fallback_application_name='sr5n-test'",
     "postgresql://db/catalog?connect_timeout=10&application_name=o%27brien%5Cx"},
    {"  postgresql://db/%D0%BA%D0%B0%D1%82%D0%B0%D0%BB%D0%BE%D0%B3  ", "db", -1, "", "", "каталог",
     "{limits};sslmode=verify-full;connect_timeout=5;{tcp};fallback_application_name='sr5n-test'",
     "postgresql://db/%D0%BA%D0%B0%D1%82%D0%B0%D0%BB%D0%BE%D0%B3"},
    // The URI's own limits stay; its session options follow ours, so they win.
    {"postgresql://db/c?keepalives_idle=30&tcp_user_timeout=0&options=-c%20lock_timeout%3D0", "db",
     -1, "", "", "c",
     "keepalives_idle='30';tcp_user_timeout='0';options='-c statement_timeout=10000 -c "
     "lock_timeout=3000 -c lock_timeout=0';sslmode=verify-full;connect_timeout=5;keepalives=1;"
     "keepalives_interval=2;keepalives_count=2;fallback_application_name='sr5n-test'",
     "postgresql://db/c?keepalives_idle=30&tcp_user_timeout=0&options=-c%20lock_timeout%3D0"},
};

QString expectedOptions(const char *text)
{
    return QString::fromUtf8(text)
        .replace(QStringLiteral("{limits}"),
                 QStringLiteral("options='-c statement_timeout=10000 -c lock_timeout=3000'"))
        .replace(QStringLiteral("{tcp}"),
                 QStringLiteral("keepalives=1;keepalives_idle=5;keepalives_interval=2;"
                                "keepalives_count=2;tcp_user_timeout=8000"));
}

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
    EXPECT_EQ(uri.connectOptions(QStringLiteral("sr5n-test")), expectedOptions(c.options));
    EXPECT_EQ(uri.withoutPassword(), QString::fromUtf8(c.kept));

    // What the settings keep reads back as the same server.
    const PostgresUri kept = PostgresUri::parse(uri.withoutPassword());
    ASSERT_TRUE(kept.isValid()) << kept.error().toStdString();
    EXPECT_EQ(kept.withoutPassword(), uri.withoutPassword());
    EXPECT_EQ(kept.connectOptions({}), uri.connectOptions({}));
    EXPECT_TRUE(kept.password().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(PostgresUri, ValidUri, ::testing::ValuesIn(Valid));

// Where the server is and what the address asks for decide the TLS mode: a
// server elsewhere is reached with its certificate checked unless the
// address names a weaker mode; one on this machine is libpq's to decide.
struct PlaceCase {
    const char *authority; // "user@HOST:PORT" part, or "?host=..." parameters
    bool local;
};

const PlaceCase Places[] = {
    {"127.0.0.1:5432", true},
    {"127.8.9.10", true},
    {"[::1]:5531", true},
    {"localhost", true},
    {"LOCALHOST:5432", true},
    {"%2Fvar%2Frun%2Fpostgresql", true},
    {"", true}, // libpq's own socket
    {"db.example.org", false},
    {"192.0.2.7:5432", false},
    {"[2001:db8::1]:5432", false},
    {"localhost,db.example.org", false},
    {"127.0.0.1,[::1]", true},
    {"db.example.org?hostaddr=127.0.0.1", true}, // libpq connects to the address given
    {"localhost?hostaddr=192.0.2.7", false},
};

const char *Modes[] = {nullptr,   "disable",   "allow",      "prefer",
                       "require", "verify-ca", "verify-full"};

TEST(PostgresUriPlace, TheTlsModeFollowsWhereTheServerIsAndWhatTheAddressNames)
{
    qunsetenv("PGHOST");
    for (const PlaceCase &place : Places) {
        for (const char *mode : Modes) {
            QString text = QStringLiteral("postgresql://") + QString::fromUtf8(place.authority);
            if (!text.contains(u'?'))
                text += QStringLiteral("/team");
            if (mode)
                text += (text.contains(u'?') ? u'&' : u'?') + QStringLiteral("sslmode=") +
                        QLatin1String(mode);
            const PostgresUri uri = PostgresUri::parse(text);
            ASSERT_TRUE(uri.isValid()) << text.toStdString() << ": " << uri.error().toStdString();
            EXPECT_EQ(uri.isOnThisMachine(), place.local) << text.toStdString();
            const QString expected = mode          ? QLatin1String(mode)
                                     : place.local ? QString()
                                                   : QStringLiteral("verify-full");
            EXPECT_EQ(uri.sslMode(), expected) << text.toStdString();
            const QString options = uri.connectOptions({});
            EXPECT_EQ(options.contains(QStringLiteral("sslmode=")), !expected.isEmpty())
                << text.toStdString();
            EXPECT_EQ(options.count(QStringLiteral("sslmode=")), expected.isEmpty() ? 0 : 1);
        }
    }
    // libpq's PGHOST stands for a URI without a host.
    qputenv("PGHOST", "db.example.org");
    EXPECT_EQ(PostgresUri::parse(QStringLiteral("postgresql:///team")).sslMode(),
              QStringLiteral("verify-full"));
    qunsetenv("PGHOST");
}

TEST(PostgresUriPlace, TheStatusShowsAnIpv6AddressInBrackets)
{
    const struct {
        const char *text;
        const char *shown;
    } cases[] = {
        {"postgresql://eng@[::1]:5531/team", "eng@[::1]:5531/team"},
        {"postgresql://eng@[2001:db8::1]/team", "eng@[2001:db8::1]/team"},
        {"postgresql://eng@127.0.0.1:5531/team", "eng@127.0.0.1:5531/team"},
        {"postgresql://eng@%2Ftmp%2Fsock:5531/team", "eng@/tmp/sock:5531/team"},
        {"postgresql://[::1]:5531,db:5432/team", "[::1]:5531,db:5432/team"},
        {"postgresql:///team", "localhost/team"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PostgresUri::parse(QString::fromUtf8(c.text)).displayText(),
                  QString::fromUtf8(c.shown));
}

// The settings window's choice of a root certificate, kept in the address.
TEST(PostgresUriPlace, AParameterIsSetReplacedAndLeftOut)
{
    const PostgresUri uri = PostgresUri::parse(
        QStringLiteral("postgresql://eng@db/team?sslrootcert=/a.crt&sslmode=verify-ca"));
    const PostgresUri chosen =
        uri.withParameter(QStringLiteral("sslrootcert"), QStringLiteral("/home/eng/Team CA.crt"));
    EXPECT_EQ(chosen.withoutPassword(),
              QStringLiteral("postgresql://eng@db/"
                             "team?sslmode=verify-ca&sslrootcert=%2Fhome%2Feng%2FTeam%20CA.crt"));
    EXPECT_EQ(PostgresUri::parse(chosen.withoutPassword()).parameter(QStringLiteral("sslrootcert")),
              QStringLiteral("/home/eng/Team CA.crt"));
    EXPECT_EQ(chosen.withParameter(QStringLiteral("sslrootcert"), {}).withoutPassword(),
              QStringLiteral("postgresql://eng@db/team?sslmode=verify-ca"));
}

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
