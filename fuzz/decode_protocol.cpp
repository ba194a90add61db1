// DecodeProtocol on arbitrary records, then the record the editor encodes
// from what it decoded must be a well-formed protocol record.
#include "FuzzSupport.h"

#include "config/ConfigModel.h"
#include "protocols/ProtocolEditor.h"

using namespace sr5n;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The model is made once; every input starts from its defaults.
    static ConfigModel model;
    static const ConfigModel pristine;
    model.copyValues(pristine);
    ProtocolEditor editor(model);
    editor.DecodeProtocol(QString::fromLatin1(fuzz::bytesOf(data, size)));
    const QString record = editor.EncodeProtocol();
    if (record.size() != 38)
        __builtin_trap();
    for (const QChar c : record)
        if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F')))
            __builtin_trap();
    return 0;
}
