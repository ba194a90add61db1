// The configuration file reader as a whole-file check, on arbitrary bytes: a
// file is either refused, leaving no entries, or gives a whole request list
// (RequestListFault finds nothing in it) that writes back into a file giving
// the same list, and that the window decodes or refuses with a message.
#include "FuzzSupport.h"

#include "config/ConfigurationFile.h"
#include "config/RequestListCheck.h"
#include "config/RequestLists.h"

using namespace sr5n;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static fuzz::Window window;
    const QByteArray bytes = fuzz::bytesOf(data, size);
    QStringList entries, commands;
    QString fault;
    if (!ReadConfigurationBytes(bytes, entries, commands, &fault)) {
        if (!entries.isEmpty() || !commands.isEmpty())
            fuzz::fail("a refused file leaves entries");
        return 0;
    }
    if (!fault.isEmpty())
        fuzz::fail("a file read with a fault", fault.toUtf8());
    if (entries.size() != ConfigurationRequestCount() || commands.size() != entries.size())
        fuzz::fail("a file read into a list that is not whole");
    if (const std::optional<QString> wrong = RequestListFault(entries, commands))
        fuzz::fail("a file read into a faulty list", wrong->toUtf8());

    const QByteArray written = ConfigurationFileBytes(entries, commands);
    QStringList entriesAgain, commandsAgain;
    if (!ReadConfigurationBytes(written, entriesAgain, commandsAgain) || entriesAgain != entries ||
        commandsAgain != commands)
        fuzz::fail("a list read from a file does not survive writing and reading", written);

    window.notifier.failures = 0;
    if (DecodeAnswers(window.context, entries, commands))
        window.reset();
    else if (window.notifier.failures == 0)
        fuzz::fail("a file refused by the window without a message");
    return 0;
}
