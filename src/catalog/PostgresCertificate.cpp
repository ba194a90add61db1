#include "catalog/PostgresCertificate.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>

#include <algorithm>

namespace sr5n {

namespace {

// PostgreSQL's request to switch to TLS: length 8, code 1234.5679.
const QByteArray kSslRequest = QByteArray::fromHex("0000000804d2162f");

QString dateText(const QDateTime &time)
{
    return time.toLocalTime().toString(QStringLiteral("dd.MM.yyyy"));
}

// The names a certificate is for: its alternative names, else its common name.
QStringList namesOf(const QSslCertificate &certificate)
{
    QStringList names;
    const auto alternatives = certificate.subjectAlternativeNames();
    for (auto it = alternatives.cbegin(); it != alternatives.cend(); ++it) {
        if (it.key() == QSsl::DnsEntry || it.key() == QSsl::IpAddressEntry)
            names << it.value();
    }
    if (names.isEmpty())
        names = certificate.subjectInfo(QSslCertificate::CommonName);
    names.removeDuplicates();
    return names;
}

QString issuerOf(const QSslCertificate &certificate)
{
    const QStringList common = certificate.issuerInfo(QSslCertificate::CommonName);
    if (!common.isEmpty())
        return common.join(u", ");
    return certificate.issuerDisplayName();
}

QString quotedList(const QStringList &names)
{
    QStringList quoted;
    for (const QString &name : names)
        quoted << QStringLiteral("«%1»").arg(name);
    return quoted.join(u", ");
}

} // namespace

QString PostgresRootCertificatePath(const PostgresUri &uri)
{
    const QString given = uri.parameter(QStringLiteral("sslrootcert"));
    if (!given.isEmpty())
        return given;
    const QString fromEnvironment = qEnvironmentVariable("PGSSLROOTCERT");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QDir::home().filePath(QStringLiteral(".postgresql/root.crt"));
}

QString PostgresCertificateProblem(const PostgresUri &uri, int timeoutMs)
{
    const QString host = uri.host();
    if (host.isEmpty() || host.startsWith(u'/') || !QSslSocket::supportsSsl())
        return {};
    const int port = uri.port() > 0 ? uri.port() : 5432;
    const QString rootPath = PostgresRootCertificatePath(uri);
    const QList<QSslCertificate> roots = QSslCertificate::fromPath(rootPath);

    QSslSocket socket;
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setCaCertificates(roots);
    configuration.setPeerVerifyMode(QSslSocket::VerifyPeer);
    socket.setSslConfiguration(configuration);
    // One limit for the whole exchange.
    const QDeadlineTimer deadline(timeoutMs);
    const auto left = [&deadline] { return int(qMax<qint64>(1, deadline.remainingTime())); };
    socket.connectToHost(host, quint16(port));
    if (!socket.waitForConnected(left()))
        return {};
    socket.write(kSslRequest);
    if (!socket.waitForBytesWritten(left()) || !socket.waitForReadyRead(left()) ||
        socket.read(1) != "S")
        return {};
    socket.startClientEncryption();
    socket.waitForEncrypted(left());
    const QList<QSslError> errors = socket.sslHandshakeErrors();
    const QList<QSslCertificate> chain = socket.peerCertificateChain();
    const QSslCertificate certificate =
        chain.isEmpty() ? (errors.isEmpty() ? QSslCertificate() : errors.first().certificate())
                        : chain.first();
    if (errors.isEmpty() || certificate.isNull())
        return {};

    const auto has = [&errors](std::initializer_list<QSslError::SslError> kinds) {
        return std::any_of(errors.cbegin(), errors.cend(), [&kinds](const QSslError &error) {
            return std::find(kinds.begin(), kinds.end(), error.error()) != kinds.end();
        });
    };
    QStringList parts;
    if (has({QSslError::HostNameMismatch}))
        parts << QStringLiteral("он выдан на имя %1, а в адресе указано «%2»")
                     .arg(quotedList(namesOf(certificate)), host);
    if (has({QSslError::UnableToGetLocalIssuerCertificate, QSslError::UnableToGetIssuerCertificate,
             QSslError::UnableToVerifyFirstCertificate, QSslError::SelfSignedCertificate,
             QSslError::SelfSignedCertificateInChain, QSslError::CertificateUntrusted,
             QSslError::CertificateRejected})) {
        const QString issuer = issuerOf(chain.isEmpty() ? certificate : chain.constLast());
        parts << (roots.isEmpty()
                      ? QStringLiteral("его выдал центр сертификации «%1», а корневых "
                                       "сертификатов для проверки нет (файл «%2»)")
                            .arg(issuer, QDir::toNativeSeparators(rootPath))
                      : QStringLiteral("его выдал центр сертификации «%1», которого нет среди "
                                       "корневых сертификатов файла «%2»")
                            .arg(issuer, QDir::toNativeSeparators(rootPath)));
    }
    if (has({QSslError::CertificateExpired}))
        parts
            << QStringLiteral("срок его действия истек %1").arg(dateText(certificate.expiryDate()));
    if (has({QSslError::CertificateNotYetValid}))
        parts << QStringLiteral("он действует только с %1")
                     .arg(dateText(certificate.effectiveDate()));
    if (parts.isEmpty())
        parts << errors.first().errorString();
    return parts.join(u"; ");
}

} // namespace sr5n
