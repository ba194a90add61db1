#include "FuzzSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace sr5n::fuzz {

QString writeInputFile(const QByteArray &bytes)
{
    static const QString path =
        QDir::temp().filePath(QStringLiteral("sr5n-fuzz-%1.bin").arg(QCoreApplication::applicationPid()));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
    return path;
}

} // namespace sr5n::fuzz
