#include "link/DeviceAnswers.h"

namespace sr5n {

namespace {

constexpr qsizetype AddressDigits = 4;

} // namespace

bool IsBusyAnswer(const QString &command, const QString &data)
{
    return command == QLatin1String("FF") && data == QLatin1String("FF");
}

QString AnswerEcho(const QString &command, const QString &data)
{
    if (command == QLatin1String("01"))
        return data.left(AddressDigits);
    return QString();
}

} // namespace sr5n
