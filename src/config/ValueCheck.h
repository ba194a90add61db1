#pragma once

#include "common/Expected.h"

#include <QString>
#include <QTime>
#include <QVariant>

namespace sr5n {

class ConfigModel;

// A configuration value as the model keeps it once checked: a slider's
// position, a flag, a choice's index in `number`; a code or phone number,
// upper-cased, in `text`; a time of day in `time`.
struct CheckedValue {
    int number = 0;
    QString text;
    QTime time;
};

// Checks `value`, given from outside the model (an imported file, a page's
// field), against the description of the value `name` and the model's current
// bounds and items. A slider takes its shown number or value text ("45 с"), a
// flag a bool, a code or phone number a text, a time an "HH:mm" text, a choice
// an item's text. A failure says what is not allowed and what is:
// "Недопустимое значение "500" ключа "trb1PCallsTrialCount". Допустимо: от 2 до 220".
Expected<CheckedValue> check(const ConfigModel &model, const QString &name, const QVariant &value);

// Checks `value` as check() does and puts it into the model; nothing changes
// on a failure.
Expected<void> setChecked(ConfigModel &model, const QString &name, const QVariant &value);

// "Недопустимое значение <value> ключа "<key>". Допустимо: <allowed>", the
// value shown as written in JSON (a text in quotes), "(нет)" when missing.
QString InvalidValueMessage(const QString &key, const QVariant &value, const QString &allowed);

// "<length> шестнадцатеричные цифры (0-9, A-F)": what a code of `length` allows.
QString CodeAllowed(int length);

} // namespace sr5n
