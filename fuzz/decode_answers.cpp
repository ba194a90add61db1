// DecodeAnswers on arbitrary answer lists: the input is read as lines, each
// a command, a blank and its data ("1F 0200..."), as reading the device or
// opening a file hands them over.
#include "FuzzSupport.h"

#include "config/RequestLists.h"

using namespace sr5n;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static fuzz::Window window;
    const QString text = QString::fromLatin1(fuzz::bytesOf(data, size));
    QStringList commands, answers;
    for (const QString &line : text.split(u'\n')) {
        const qsizetype blank = line.indexOf(u' ');
        commands.append(blank < 0 ? line : line.left(blank));
        answers.append(blank < 0 ? QString() : line.mid(blank + 1));
    }
    const BlockContext &context = window.context;
    // A decoding that fails leaves the window as it was.
    if (!DecodeAnswers(context, answers, commands))
        return 0;

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
    window.reset();
    return 0;
}
