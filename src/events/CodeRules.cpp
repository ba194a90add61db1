#include "events/CodeRules.h"

#include "common/FieldRules.h"

namespace sr5n {

QString CodeCellCharacters()
{
    return CodeCharacters();
}

void FilterCodeKey(QChar &Key)
{
    if (!FilterKey(Key, CodeCellCharacters()))
        Key = QChar();
}

CheckedCode CheckCodeText(const QString &text, QStringView allowed, const QString &previous,
                          int length)
{
    CheckedCode checked;
    checked.refused = FirstInvalidCharacter(text, allowed).has_value();
    checked.text = PadWithZeros(checked.refused ? previous : text, length);
    return checked;
}

QString MemoryFaultZeroMessage()
{
    return QStringLiteral("Код неисправности памяти не может быть нулевым");
}

bool IsZeroCode(const QString &code)
{
    return code == QStringLiteral("0000");
}

} // namespace sr5n
