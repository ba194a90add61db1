#pragma once

#include "config/ProtocolCatalog.h"

namespace sr5n {

class Notifier;
class ProtocolLibrary;

// The protocol library as the command line uses it: with nobody to ask for a
// name, a protocol that is not in the library is refused, or, when the user
// allowed it, registered under its own record as its name. Several workers
// may register at once: the library's save merges each one's protocol into
// the file as it is then, so that no worker's protocol is lost.
class CommandLineCatalog final : public ProtocolCatalog
{
public:
    CommandLineCatalog(ProtocolLibrary &library, Notifier &notifier, bool registerUnknown);

    int protocolCount() const override;
    QString recordAt(int index) const override;
    int indexOfRecord(const QString &record) const override;
    bool RegisterDeviceProtocol(const QString &record, int pair, const QStringList &kept) override;

    // "Протокол ... не зарегистрирован в программе ..." for pair 1 or 2.
    static QString unknownProtocolMessage(const QString &record, int pair);

private:
    ProtocolLibrary &m_library;
    Notifier &m_notifier;
    bool m_registerUnknown;
};

} // namespace sr5n
