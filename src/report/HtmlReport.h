#pragma once

#include "config/ValueTexts.h"

#include <QByteArray>
#include <QDateTime>
#include <QLocale>
#include <QString>

namespace sr5n {

class ConfigModel;
class EventCodeTables;

// The configuration as one HTML page: Windows-1251, CR LF line ends, the
// fragments in a fixed order. Texts taken from the window are escaped for
// HTML. `now` and `locale` give the date line and the time texts.
QByteArray BuildHtmlReport(const ConfigModel &config, const EventCodeTables &tables,
                           const QDateTime &now, const QLocale &locale = QLocale::system());

// Writes the page to `path`, replacing any file there only when the whole page
// was written. False when the file cannot be written.
bool WriteHtmlReport(const QString &path, const QByteArray &page);

} // namespace sr5n
