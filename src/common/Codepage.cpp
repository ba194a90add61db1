#include "common/Codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace sr5n {

QByteArray ToCp1251(const QString &text)
{
    QStringEncoder encoder("windows-1251");
    return encoder.encode(text);
}

QString FromCp1251(const QByteArray &bytes)
{
    QStringDecoder decoder("windows-1251");
    return decoder.decode(bytes);
}

} // namespace sr5n
