#include "cli/CommandLineCatalog.h"

#include "common/Notifier.h"
#include "config/ProtocolRecord.h"
#include "protocols/ProtocolLibrary.h"

namespace sr5n {

CommandLineCatalog::CommandLineCatalog(ProtocolLibrary &library, Notifier &notifier,
                                       bool registerUnknown)
    : m_library(library), m_notifier(notifier), m_registerUnknown(registerUnknown)
{
}

int CommandLineCatalog::protocolCount() const
{
    return m_library.protocolCount();
}

QString CommandLineCatalog::recordAt(int index) const
{
    return m_library.recordAt(index);
}

int CommandLineCatalog::indexOfRecord(const QString &record) const
{
    return m_library.indexOfRecord(record);
}

QString CommandLineCatalog::unknownProtocolMessage(const QString &record, int pair)
{
    return QStringLiteral("Указанный протокол для %1ой пары номеров (%2) не зарегистрирован в "
                          "программе. Чтобы добавить его под названием, равным его записи, "
                          "повторите команду с --register-protocols")
        .arg(pair)
        .arg(record);
}

bool CommandLineCatalog::RegisterDeviceProtocol(const QString &text, int pair, const QStringList &)
{
    const std::optional<QString> record = CheckedProtocolRecord(text);
    if (!record)
        return false;
    if (m_library.indexOfRecord(*record) >= 0)
        return true;
    if (!m_registerUnknown) {
        m_notifier.reportFailure(unknownProtocolMessage(*record, pair));
        return false;
    }
    // Under its record as its name; the save merges it into the list as the file holds it now.
    return m_library.RegisterProtocol(*record, *record) && m_library.SaveProtocolList();
}

} // namespace sr5n
