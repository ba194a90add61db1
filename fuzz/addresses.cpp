// The addresses users type and settings keep, on arbitrary text: network
// ports ("tcp://", "rfc2217://") and catalogue servers ("postgresql://").
// An address that parses prints back to one that parses to the same thing.
#include "FuzzSupport.h"

#include "catalog/PostgresUri.h"
#include "link/NetworkAddress.h"

using namespace sr5n;

namespace {

void checkNetworkAddress(const QString &text)
{
    const std::optional<NetworkAddress> address = NetworkAddress::parse(text);
    if (address && !NetworkAddress::isNetworkName(text))
        fuzz::fail("a network address without its scheme", text.toUtf8());
    if (!address)
        return;
    const QString printed = address->name();
    const std::optional<NetworkAddress> again = NetworkAddress::parse(printed);
    if (!again || !(*again == *address))
        fuzz::fail("a network address prints as another", text.toUtf8() + '\n' + printed.toUtf8());
}

// What a catalogue server's URI gives the connection, password aside (an
// empty host and none are the same server; only the status text differs).
QString meaning(const PostgresUri &uri)
{
    return QStringList{uri.host(), QString::number(uri.port()), uri.user(), uri.database(),
                       uri.connectOptions(QStringLiteral("sr5n"))}
        .join(u'\n');
}

void checkPostgresUri(const QString &text)
{
    const PostgresUri uri = PostgresUri::parse(text);
    if (!uri.isValid()) {
        if (uri.error().isEmpty())
            fuzz::fail("a refused URI without a reason", text.toUtf8());
        return;
    }
    const QString printed = uri.withoutPassword();
    const PostgresUri again = PostgresUri::parse(printed);
    if (!again.isValid())
        fuzz::fail("a URI prints as one that is refused",
                   text.toUtf8() + '\n' + printed.toUtf8() + '\n' + again.error().toUtf8());
    if (!again.password().isEmpty())
        fuzz::fail("a URI printed without its password keeps it", printed.toUtf8());
    if (meaning(again) != meaning(uri))
        fuzz::fail("a URI prints as another", text.toUtf8() + '\n' + printed.toUtf8() + '\n' +
                                                  meaning(uri).toUtf8() + "\n--\n" +
                                                  meaning(again).toUtf8());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(fuzz::bytesOf(data, size));
    checkNetworkAddress(text);
    checkPostgresUri(text);
    return 0;
}
