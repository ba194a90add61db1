#pragma once

#include <QLocale>
#include <QString>
#include <QTime>

namespace sr5n {

class ConfigModel;

// How the configuration's values read as text, the same wherever they are
// shown: the HTML report, a comparison of two configurations.

// A caption without its leading and trailing blanks and control characters;
// inner blanks stay ("Первый номер телефона " gives "Первый номер телефона").
QString CaptionText(const QString &caption);

// The state word of a flag with "используется": "используется" or "не используется".
QString FlagStateText(bool on);

// A time in the locale's long time format without a time zone, e.g. 9:30:00.
QString LongTimeText(const QTime &time, const QLocale &locale);

// The text of the value `name`: a slider's value text, a flag's state, a code
// or phone number as typed, a time in the long format, the chosen item of a
// choice (a pair's protocol by its name). Empty for an unknown name.
QString ValueDisplayText(const ConfigModel &model, const QString &name, const QLocale &locale);

} // namespace sr5n
