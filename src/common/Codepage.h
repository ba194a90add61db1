#pragma once

#include <QByteArray>
#include <QString>

namespace sr5n {

// Every text the system stores in its files is in Windows-1251; these two
// functions are the only place where texts cross that boundary.
QByteArray ToCp1251(const QString &text);
QString FromCp1251(const QByteArray &bytes);

} // namespace sr5n
