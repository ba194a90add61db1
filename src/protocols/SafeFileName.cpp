#include "protocols/SafeFileName.h"

namespace sr5n {

QString SafeFileName(const QString &text)
{
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    QString safe = text;
    for (QChar &c : safe) {
        if (forbidden.contains(c))
            c = u'_';
    }
    return safe;
}

} // namespace sr5n
