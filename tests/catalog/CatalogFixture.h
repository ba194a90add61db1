#pragma once

#include "catalog/CatalogTypes.h"
#include "config/BlockFixture.h"
#include "config/ConfigurationFile.h"
#include "config/RequestLists.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace sr5n::test {

// A configuration of the window's kind as .snc bytes: the object numbers of
// both pairs and the first phone number of pair 1 as given.
struct SampleConfiguration {
    QString object1 = QStringLiteral("1234");
    QString object2 = QStringLiteral("0567");
    QString phone = QStringLiteral("84951234567");

    QByteArray bytes() const
    {
        BlockFixture f;
        f.model.setFlag(QStringLiteral("chb1P1N"), true);
        f.model.setText(QStringLiteral("edt1P1N"), phone);
        f.model.setText(QStringLiteral("edt1P1NObjectCode"), object1);
        f.model.setText(QStringLiteral("edt2P1NObjectCode"), object2);
        QStringList data, commands;
        if (!BuildWriteRequests(f.context, data, commands))
            return {};
        return ConfigurationFileBytes(data, commands);
    }
};

// A sample with these numbers of pair 1's object (and first phone number).
inline SampleConfiguration SampleOf(const char *object1, const char *phone = "84951234567")
{
    SampleConfiguration sample;
    sample.object1 = QString::fromLatin1(object1);
    sample.phone = QString::fromLatin1(phone);
    return sample;
}

// A read of `sample` now, by engineer "ivanov" on /dev/pts/0.
inline NewCatalogEntry ReadEntry(const SampleConfiguration &sample, const QString &note = {})
{
    NewCatalogEntry entry;
    entry.time = QDateTime::currentDateTimeUtc();
    entry.operation = CatalogOperation::Read;
    entry.port = QStringLiteral("/dev/pts/0");
    entry.user = QStringLiteral("ivanov");
    entry.configuration = sample.bytes();
    entry.codes = sample.object1 + u' ' + sample.object2;
    entry.phones = sample.phone;
    entry.note = note;
    return entry;
}

} // namespace sr5n::test
