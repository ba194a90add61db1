#include "config/ObjectNumbers.h"

#include "config/ConfigModel.h"
#include "config/ConfigValues.h"

#include <QStringList>

namespace sr5n {

QList<NumberPlace> NumbersWithoutObjectNumber(const ConfigModel &model)
{
    QList<NumberPlace> blank;
    for (int pair = 1; pair <= 2; ++pair)
        for (int number = 1; number <= 2; ++number)
            if (model.flag(pair, number, u"N") &&
                model.text(pair, number, u"NObjectCode").trimmed().isEmpty())
                blank.append({pair, number});
    return blank;
}

QString MissingObjectNumbersMessage(const QList<NumberPlace> &numbers)
{
    if (numbers.isEmpty())
        return {};
    const auto page = [](int pair) {
        return PageCaption(pair == 1 ? ConfigPage::FirstPair : ConfigPage::SecondPair);
    };
    const auto which = [](int number) {
        return number == 1 ? QStringLiteral("первого") : QStringLiteral("второго");
    };
    QStringList places;
    for (int pair = 1; pair <= 2; ++pair) {
        QStringList onPage;
        for (const NumberPlace &place : numbers)
            if (place.pair == pair)
                onPage << which(place.number);
        if (onPage.isEmpty())
            continue;
        places << QStringLiteral("%1 %2 на странице «%3»")
                      .arg(onPage.join(QStringLiteral(" и ")),
                           onPage.size() == 1 ? QStringLiteral("номера телефона")
                                              : QStringLiteral("номеров телефона"),
                           page(pair));
    }
    return QStringLiteral("Не указан номер объекта для %1. Укажите номер объекта перед записью.")
        .arg(places.join(QStringLiteral(", ")));
}

} // namespace sr5n
