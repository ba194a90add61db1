// The readers of every file type the configurator reads, on arbitrary bytes.
#include "FuzzSupport.h"

#include "common/DataFile.h"
#include "events/EventCodeTables.h"
#include "events/EventNameLists.h"

#include <QStringList>

using namespace sr5n;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    fuzz::SilentNotifier notifier;

    // Every data file type through the shared reader: preamble, count, records.
    for (const DataFileType &type :
         {FileTypes::Configuration, FileTypes::ProtocolList, FileTypes::Protocol,
          FileTypes::EventTable, FileTypes::LogEventList}) {
        DataFileReader reader(type);
        if (!reader.openBytes(bytes))
            continue;
        if (const std::optional<qint64> count = reader.readCount()) {
            for (qint64 i = 0; i < *count * 2; ++i)
                if (!reader.readText())
                    break;
        }
    }

    // The event name list loaders as the main window runs them.
    const QString path = fuzz::writeInputFile(bytes);
    EventCodeTables tables;
    LoadEventTable(path, tables, EventCodeTables::Table::External, 0, notifier);
    LoadEventTable(path, tables, EventCodeTables::Table::Common, 8, notifier);
    QStringList names;
    LoadLogEventList(path, names, notifier);
    return 0;
}
