// DecodeAnswers on arbitrary answer lists: the input is read as lines, each
// a command, a blank and its data ("1F 0200..."), as reading the device or
// opening a file hands them over.
#include "FuzzSupport.h"

#include "config/BlockContext.h"
#include "config/ConfigModel.h"
#include "config/ProtocolCatalog.h"
#include "config/RequestLists.h"
#include "events/EventCodeTables.h"

using namespace sr5n;

namespace {

// The starter protocols; registering an unknown one is declined, as a user may.
class StarterCatalog final : public ProtocolCatalog
{
public:
    int protocolCount() const override { return int(m_records.size()); }
    QString recordAt(int index) const override { return m_records.value(index); }
    int indexOfRecord(const QString &record) const override
    {
        for (int i = 0; i < m_records.size(); ++i)
            if (m_records[i].compare(record, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }
    bool RegisterDeviceProtocol(const QString &record, int, const QStringList &) override
    {
        return indexOfRecord(record) >= 0;
    }

private:
    QStringList m_records{QStringLiteral("02000004FF1F00000000000000000000050528"),
                          QStringLiteral("00000100CF0000000000000000000000050526")};
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromLatin1(fuzz::bytesOf(data, size));
    QStringList commands, answers;
    for (const QString &line : text.split(u'\n')) {
        const qsizetype blank = line.indexOf(u' ');
        commands.append(blank < 0 ? line : line.left(blank));
        answers.append(blank < 0 ? QString() : line.mid(blank + 1));
    }
    fuzz::SilentNotifier notifier;
    ConfigModel model;
    EventCodeTables tables;
    StarterCatalog catalog;
    model.setChoiceItems(QStringLiteral("cbx1PProtocol"),
                         {QStringLiteral("A"), QStringLiteral("B")});
    model.setChoiceItems(QStringLiteral("cbx2PProtocol"),
                         {QStringLiteral("A"), QStringLiteral("B")});
    const BlockContext context{model, tables, catalog, notifier};
    DecodeAnswers(context, answers, commands);

    // Whatever was decoded must still encode into well-formed requests.
    QStringList writeData, writeCommands;
    if (BuildWriteRequests(context, writeData, writeCommands)) {
        if (writeData.size() != 858 || writeCommands.size() != 858)
            __builtin_trap();
        for (const QString &entry : writeData)
            for (const QChar c : entry)
                if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F')))
                    __builtin_trap();
    }
    return 0;
}
