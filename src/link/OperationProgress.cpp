#include "link/OperationProgress.h"

namespace sr5n {

QString OperationProgress::caption(Kind kind)
{
    switch (kind) {
    case Kind::Writing:
        return QStringLiteral("  Запись данных в коммуникатор");
    case Kind::LogReading:
        return QStringLiteral("  Чтение журналов событий");
    case Kind::Searching:
        return QStringLiteral("  Поиск коммуникатора");
    case Kind::Reading:
        break;
    }
    return QStringLiteral("  Чтение данных с коммуникатора");
}

QString OperationProgress::percentText(int position, int maximum)
{
    const int percent = maximum > 0 ? static_cast<int>(qint64(position) * 100 / maximum) : 0;
    return QString::number(percent) + u'%';
}

} // namespace sr5n
