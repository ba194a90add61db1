// The message capture with the answer parser behind it, fed arbitrary bytes
// from the line in arbitrary pieces.
#include "FuzzSupport.h"

#include "link/TConnection.h"
#include "link/TVaCapture.h"
#include "link/TVaComm.h"

#include <QCoreApplication>

using namespace sr5n;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "sr5n-fuzz-link-parser";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);

    fuzz::SilentNotifier notifier;
    TVaComm comm;
    TVaCapture capture(notifier);
    capture.SetComm(&comm);
    TConnection link(capture, notifier);
    capture.SetActive(true);

    // The first byte chooses the size of the received blocks.
    const size_t block = size > 0 ? 1 + data[0] % 64 : 1;
    for (size_t at = size > 0 ? 1 : 0; at < size; at += block)
        capture.DataChanged(QByteArrayView(reinterpret_cast<const char *>(data + at),
                                           static_cast<qsizetype>(std::min(block, size - at))));
    // A long stream without delimiters must not grow the capture without bound.
    if (link.AnswerData().size() > 999)
        __builtin_trap();
    return 0;
}
