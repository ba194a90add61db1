#pragma once

#include <QList>
#include <QString>

namespace sr5n {

class ConfigModel;

// A phone number of a pair: pair 1 or 2, number 1 or 2.
struct NumberPlace {
    int pair = 1;
    int number = 1;
    bool operator==(const NumberPlace &) const = default;
};

// The numbers in use (their flag on) whose object number is blank: a device
// would get 0000 for them. In page order.
QList<NumberPlace> NumbersWithoutObjectNumber(const ConfigModel &model);

// Why such a configuration is not written, naming the numbers:
// "Не указан номер объекта для первого номера телефона на странице «Первая
// пара номеров». Укажите номер объекта перед записью." Empty for none.
QString MissingObjectNumbersMessage(const QList<NumberPlace> &numbers);

} // namespace sr5n
