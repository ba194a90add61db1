#pragma once

#include "config/BlockFixture.h"
#include "config/ConfigurationFile.h"
#include "config/RequestLists.h"

#include <QByteArray>
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

} // namespace sr5n::test
