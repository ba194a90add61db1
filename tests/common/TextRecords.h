#pragma once

#include "common/TextRecord.h"

#include <QBuffer>
#include <QByteArray>
#include <QStringList>

namespace sr5n::test {

// The bytes of a data file made of these texts, one text record each.
inline QByteArray TextRecords(const QStringList &texts)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    for (const QString &text : texts)
        WriteTextRecord(text, buffer);
    return buffer.data();
}

} // namespace sr5n::test
