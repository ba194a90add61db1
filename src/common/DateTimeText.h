#pragma once

#include "common/MultiCellTypes.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <optional>

// Texts of date-time cells. Their formats use the classic letters: "d", "dd",
// "ddd", "dddd", "m", "mm", "mmm", "mmmm", "yy", "yyyy", "h", "hh", "n", "nn"
// (minutes), "s", "ss", "z", "zzz", "am/pm"; "/" and ":" stand for the
// locale's date and time separators; quoted text is copied as is.

namespace sr5n::DateTimeText {

// The format a cell uses while its own text format is empty.
QString defaultFormat(TDateTimeKind kind);

// The locale's date and time separators.
QChar dateSeparator(const QLocale &locale = QLocale());
QChar timeSeparator(const QLocale &locale = QLocale());

// Translates a classic format into QDateTime's format syntax.
QString toQtFormat(const QString &format, const QLocale &locale = QLocale());

// Formats a value with a classic format (the default format of the kind when
// the format is empty).
QString format(const QDateTime &value, const QString &format, TDateTimeKind kind,
               const QLocale &locale = QLocale());

// Reads a date (day, month and year in the locale's short-date order, the year
// optional or with two digits) or a time (hours, minutes, optional seconds and
// milliseconds, optional AM/PM). A date reads with the time 00:00, a time with
// the date 30 December 1899. Gives nothing when the text does not read.
std::optional<QDateTime> read(const QString &text, TDateTimeKind kind,
                              const QLocale &locale = QLocale());

// The zero of the date scale and its far end: the widest range of a picker.
QDateTime zeroDate();
QDateTime lastDate();

} // namespace sr5n::DateTimeText
