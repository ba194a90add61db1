#pragma once

#include "catalog/PostgresUri.h"

#include <QString>

namespace sr5n {

// Why the certificate of a PostgreSQL server does not pass the check libpq
// makes, in words: which names it is for and which the address gives, who
// issued it and which root certificates were trusted, its dates. libpq says
// only "certificate verify failed"; this asks the server itself for its
// certificate (PostgreSQL's TLS request, then a TLS handshake with the same
// root certificates) and checks it. Empty when the server cannot be asked.
QString PostgresCertificateProblem(const PostgresUri &uri, int timeoutMs);

// The root certificate file libpq checks a server with: the URI's
// "sslrootcert", PGSSLROOTCERT, else ~/.postgresql/root.crt.
QString PostgresRootCertificatePath(const PostgresUri &uri);

} // namespace sr5n
