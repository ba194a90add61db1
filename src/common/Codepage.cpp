#include "common/Codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace sr5n {

// Opening a converter looks the code page up by name each time: made once
// per thread, with no state carried from one text to the next.
QByteArray ToCp1251(const QString &text)
{
    thread_local QStringEncoder encoder("windows-1251", QStringConverter::Flag::Stateless);
    return encoder.encode(text);
}

QString FromCp1251(const QByteArray &bytes)
{
    thread_local QStringDecoder decoder("windows-1251", QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

} // namespace sr5n
