// TLS to the shared catalogue's server, against the real server with a
// certificate authority and server certificate made for the test.
#include "catalog/PostgresCatalog.h"
#include "catalog/PostgresConnector.h"
#include "common/PgServer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "common/QtPrinters.h"

#include <gtest/gtest.h>

namespace sr5n {
namespace {

using test::PgServer;

// Runs openssl in `folder`; true when it succeeded.
bool openssl(const QString &folder, const QStringList &arguments)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("openssl"), arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        ADD_FAILURE() << "openssl " << arguments.join(u' ').toStdString() << ": "
                      << process.readAll().toStdString();
        return false;
    }
    return true;
}

// A certificate authority "Team Test CA" that issued the server's
// certificate for the name "localhost"; another authority nobody uses; both
// made once for the test program.
class Certificates
{
public:
    Certificates()
    {
        const QString f = m_folder.path();
        m_ok =
            openssl(f, {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                        QStringLiteral("rsa:2048"), QStringLiteral("-nodes"),
                        QStringLiteral("-keyout"), QStringLiteral("ca.key"), QStringLiteral("-out"),
                        QStringLiteral("ca.crt"), QStringLiteral("-days"), QStringLiteral("2"),
                        QStringLiteral("-subj"), QStringLiteral("/CN=Team Test CA")}) &&
            openssl(f,
                    {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                     QStringLiteral("rsa:2048"), QStringLiteral("-nodes"),
                     QStringLiteral("-keyout"), QStringLiteral("other.key"), QStringLiteral("-out"),
                     QStringLiteral("other.crt"), QStringLiteral("-days"), QStringLiteral("2"),
                     QStringLiteral("-subj"), QStringLiteral("/CN=Other CA")}) &&
            openssl(f, {QStringLiteral("req"), QStringLiteral("-newkey"),
                        QStringLiteral("rsa:2048"), QStringLiteral("-nodes"),
                        QStringLiteral("-keyout"), QStringLiteral("server.key"),
                        QStringLiteral("-out"), QStringLiteral("server.csr"),
                        QStringLiteral("-subj"), QStringLiteral("/CN=localhost")});
        QFile extensions(m_folder.filePath(QStringLiteral("server.ext")));
        m_ok = m_ok && extensions.open(QIODevice::WriteOnly) &&
               extensions.write("subjectAltName=DNS:localhost\n") > 0;
        extensions.close();
        m_ok = m_ok &&
               openssl(f, {QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
                           QStringLiteral("server.csr"), QStringLiteral("-CA"),
                           QStringLiteral("ca.crt"), QStringLiteral("-CAkey"),
                           QStringLiteral("ca.key"), QStringLiteral("-CAcreateserial"),
                           QStringLiteral("-out"), QStringLiteral("server.crt"),
                           QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-extfile"),
                           QStringLiteral("server.ext")});
    }
    bool ok() const { return m_ok; }
    QString path(const char *name) const { return m_folder.filePath(QLatin1String(name)); }

private:
    QTemporaryDir m_folder;
    bool m_ok = false;
};

class ServerTls : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_certificates = new Certificates;
        s_tls =
            s_certificates->ok() && PgServer::shared().useTls(s_certificates->path("server.crt"),
                                                              s_certificates->path("server.key"));
    }
    static void TearDownTestSuite()
    {
        // The other tests of the program expect a server without TLS.
        PgServer::shared().useTls({}, {});
        delete s_certificates;
        s_certificates = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(s_tls) << m_server.error().toStdString();
        m_database = m_server.createDatabase();
        ASSERT_FALSE(m_database.isEmpty()) << m_server.error().toStdString();
        qputenv("PGPASSWORD", PgServer::EngineerPassword);
        // libpq's own root certificate is looked for in this home.
        m_home = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(m_folder.path()));
        qunsetenv("PGSSLROOTCERT");
        qunsetenv("PGSSLMODE");
    }
    void TearDown() override
    {
        qunsetenv("PGPASSWORD");
        qputenv("HOME", m_home);
    }

    QString uri(const QString &host, const QString &query) const
    {
        return QStringLiteral("postgresql://%1@%2:%3/%4%5")
            .arg(QLatin1String(PgServer::Engineer), host, QString::number(m_server.port()),
                 m_database, query.isEmpty() ? QString() : QLatin1Char('?') + query);
    }
    static QString root(const char *name) { return s_certificates->path(name); }

    static inline Certificates *s_certificates = nullptr;
    static inline bool s_tls = false;
    PgServer &m_server = PgServer::shared();
    QString m_database;
    QTemporaryDir m_folder;
    QByteArray m_home;
};

struct TlsCase {
    const char *name;
    const char *host;
    const char *query; // %1: the folder of the certificates
    bool rootInHome;   // the test authority in ~/.postgresql/root.crt
    const char *told;  // the status's words, or the start of the refusal (%1: server, %2: folder)
    bool opens;
};

void PrintTo(const TlsCase &c, std::ostream *os)
{
    *os << c.name;
}

class ServerTlsCase : public ServerTls, public ::testing::WithParamInterface<TlsCase>
{
};

TEST_P(ServerTlsCase, OpensOnlyWithTheCertificateCheckedAndSaysHowItIsProtected)
{
    const TlsCase &c = GetParam();
    const QString folder = QFileInfo(root("ca.crt")).absolutePath();
    if (c.rootInHome) {
        QDir(m_folder.path()).mkpath(QStringLiteral(".postgresql"));
        ASSERT_TRUE(
            QFile::copy(root("ca.crt"), m_folder.filePath(QStringLiteral(".postgresql/root.crt"))));
    }
    const PostgresUri address =
        PostgresUri::parse(uri(QLatin1String(c.host), QString::fromUtf8(c.query).arg(folder)));
    ASSERT_TRUE(address.isValid()) << address.error().toStdString();
    PostgresOpening opened = OpenPostgresCatalog(address);
    const QString told = QString::fromUtf8(c.told).arg(address.displayText(), folder);
    if (c.opens) {
        ASSERT_TRUE(opened.opening.store) << opened.opening.failure.toStdString();
        EXPECT_EQ(opened.protection, told);
    } else {
        EXPECT_FALSE(opened.opening.store);
        EXPECT_EQ(opened.connectFailure, PostgresConnector::Failure::Certificate);
        EXPECT_TRUE(opened.opening.failure.startsWith(told))
            << opened.opening.failure.toStdString();
        // The driver's own words come after ours, on a line of their own.
        EXPECT_TRUE(opened.opening.failure.contains(QStringLiteral("\nОтвет драйвера: ")))
            << opened.opening.failure.toStdString();
    }
}

const TlsCase TlsCases[] = {
    {"VerifiedWithTheChosenRoot", "localhost", "sslmode=verify-full&sslrootcert=%1/ca.crt", false,
     "защищено, сертификат проверен", true},
    {"VerifiedWithTheRootInHome", "localhost", "sslmode=verify-full", true,
     "защищено, сертификат проверен", true},
    {"EncryptedUnchecked", "127.0.0.1", "sslmode=require", false,
     "шифруется, сертификат не проверяется", true},
    {"AuthorityOnly", "127.0.0.1", "sslmode=verify-ca&sslrootcert=%1/ca.crt", false,
     "шифруется, имя сервера в сертификате не проверяется", true},
    {"Plain", "127.0.0.1", "sslmode=disable", false, "без шифрования", true},
    {"WrongName", "127.0.0.1", "sslmode=verify-full&sslrootcert=%1/ca.crt", false,
     "Подключение к серверу каталога %1 отклонено: сертификат сервера не прошел проверку: он "
     "выдан на имя «localhost», а в адресе указано «127.0.0.1»",
     false},
    {"UnknownAuthority", "localhost", "sslmode=verify-full&sslrootcert=%2/other.crt", false,
     "Подключение к серверу каталога %1 отклонено: сертификат сервера не прошел проверку: его "
     "выдал центр сертификации «Team Test CA», которого нет среди корневых сертификатов файла "
     "«%2/other.crt»",
     false},
    {"NoRootCertificate", "localhost", "sslmode=verify-full", false,
     "Подключение к серверу каталога %1 отклонено: для проверки сертификата сервера нужен "
     "корневой сертификат центра, который его выдал, а файла",
     false},
};

std::string tlsCaseName(const ::testing::TestParamInfo<TlsCase> &tlsCase)
{
    return tlsCase.param.name;
}

INSTANTIATE_TEST_SUITE_P(PostgresTls, ServerTlsCase, ::testing::ValuesIn(TlsCases), tlsCaseName);

} // namespace
} // namespace sr5n
