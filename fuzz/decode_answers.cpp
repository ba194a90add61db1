// DecodeAnswers on arbitrary answer lists: the input is read as lines, each
// a command, a blank and its data ("1F 0200..."), as reading the device or
// opening a file hands them over.
#include "FuzzSupport.h"

#include "config/EventCodeBlocks.h"
#include "config/RequestLists.h"

using namespace sr5n;

namespace {

bool isHex(const QString &text)
{
    for (const QChar c : text)
        if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F')))
            return false;
    return true;
}

// What was decoded must still encode into well-formed requests: every block
// when a value changed, every event-code chunk when a code changed (the
// rest encodes as it did before the input).
void checkEncoding(const BlockContext &context, bool values, bool codes)
{
    if (values) {
        for (const ConfigBlock &block : ConfigBlocks()) {
            const QString encoded = block.encode(context);
            if (!isHex(encoded))
                fuzz::fail("a block encodes into what is not hexadecimal", encoded.toUtf8());
        }
    }
    if (codes) {
        QStringList pair1, pair2;
        BuildEventCodeWrites(context, pair1, pair2);
        if (pair1.size() + pair2.size() + ConfigBlocks().size() != ConfigurationRequestCount())
            fuzz::fail("the event codes encode into another number of requests");
        for (const QString &entry : pair1 + pair2)
            if (!isHex(entry))
                fuzz::fail("event codes encode into what is not hexadecimal", entry.toUtf8());
    }
}

} // namespace

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
    window.valueChanges = window.codeChanges = 0;
    // A decoding that fails leaves the window as it was.
    if (!DecodeAnswers(window.context, answers, commands))
        return 0;
    checkEncoding(window.context, window.valueChanges > 0, window.codeChanges > 0);
    window.reset();
    return 0;
}
