#include "common/SecretText.h"

#include <QRegularExpression>

namespace sr5n {

QString WithoutPassword(const QString &address)
{
    QString text = address;
    // The user part of a URI runs from "://" to the last "@" before the path:
    // a password may hold any character, so the last "@" is taken.
    if (const qsizetype scheme = text.indexOf(QLatin1String("://")); scheme > 0) {
        const qsizetype start = scheme + 3;
        qsizetype end = text.indexOf(u'?', start);
        if (end < 0)
            end = text.size();
        const qsizetype at = text.lastIndexOf(u'@', end - 1);
        if (at >= start) {
            const qsizetype colon = text.indexOf(u':', start);
            if (colon >= 0 && colon < at)
                text.replace(colon + 1, at - colon - 1, QStringLiteral("***"));
        }
    }
    // password=... in a query (up to "&") or as a keyword (a quoted value, or
    // up to a blank).
    static const QRegularExpression keyword(
        QStringLiteral(R"((\bpassword\s*=\s*)('(?:[^'\\]|\\.)*'|[^&\s]*))"),
        QRegularExpression::CaseInsensitiveOption);
    text.replace(keyword, QStringLiteral("\\1***"));
    return text;
}

} // namespace sr5n
