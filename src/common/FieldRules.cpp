#include "common/FieldRules.h"

namespace sr5n {

QString PhoneCharacters()
{
    return QStringLiteral("0123456789abcdABCD");
}

QString CodeCharacters()
{
    return QStringLiteral("0123456789abcdefABCDEF");
}

QString DialCharacters()
{
    return QStringLiteral("0123456789ABCD");
}

QString InvalidCharactersMessage()
{
    return QStringLiteral("В поле присутствуют недопустимые символы");
}

bool FilterKey(QChar key, QStringView allowed)
{
    switch (key.unicode()) {
    case KeyBackspace:
    case KeyCopy:
    case KeyPaste:
    case KeyCut:
    case KeyEnter:
    case KeySelectAll:
        return true;
    default:
        return allowed.contains(key);
    }
}

std::optional<qsizetype> FirstInvalidCharacter(QStringView text, QStringView allowed)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!allowed.contains(text.at(i)))
            return i;
    }
    return std::nullopt;
}

QString PadWithZeros(const QString &text, int length)
{
    if (text.size() >= length)
        return text;
    return QString(length - text.size(), QLatin1Char('0')) + text;
}

QString DialText(const QString &text)
{
    const QString dial = DialCharacters();
    QString result;
    for (QChar c : text.toUpper()) {
        if (dial.contains(c))
            result.append(c);
    }
    return result.left(24);
}

} // namespace sr5n
