#pragma once

// Configurations made up at random for round trips through the blocks.

#include "config/BlockFixture.h"

#include <QRandomGenerator>

namespace sr5n::test {

// The values the blocks carry: every value before the protocol editor's.
inline QStringList blockValueNames(const ConfigModel &model)
{
    QStringList names;
    for (const QString &name : model.names()) {
        if (name == QStringLiteral("rgpHandshake"))
            break;
        names << name;
    }
    return names;
}

inline QString randomHex(QRandomGenerator &random, int length)
{
    static const QString digits = QStringLiteral("0123456789ABCDEF");
    QString text;
    for (int i = 0; i < length; ++i)
        text += digits.at(random.bounded(16));
    return text;
}

inline QString randomCode(QRandomGenerator &random)
{
    return random.bounded(3) == 0 ? randomHex(random, 4) : QStringLiteral("0000");
}

inline void randomize(BlockFixture &f, QRandomGenerator &random)
{
    ConfigModel &model = f.model;
    for (const QString &name : blockValueNames(model)) {
        const ValueDescription &d = *model.description(name);
        switch (d.kind) {
        case ValueKind::Slider:
            model.setSlider(name, d.minimum + random.bounded(d.maximum - d.minimum + 1));
            break;
        case ValueKind::Flag:
            model.setFlag(name, random.bounded(2) == 1);
            break;
        case ValueKind::Code:
            model.setText(name, randomHex(random, d.maximum));
            break;
        case ValueKind::Phone: {
            static const QString dial = QStringLiteral("0123456789ABCD");
            QString number;
            const int length = random.bounded(4) == 0 ? 0 : random.bounded(1, 25);
            for (int i = 0; i < length; ++i)
                number += dial.at(random.bounded(14));
            model.setText(name, number);
            break;
        }
        case ValueKind::Time:
            model.setTime(name, QTime(random.bounded(24), random.bounded(60)));
            break;
        case ValueKind::Choice:
            model.setChoice(name, random.bounded(int(model.choiceItems(name).size())));
            break;
        case ValueKind::Mask:
            break;
        }
    }
    // 44 days 24 hours is written as 45 days, which cannot be read back.
    if (model.slider(QStringLiteral("trbPassiveDays")) == 44)
        model.setSlider(QStringLiteral("trbPassiveHours"), 23);

    EventCodeTables &tables = f.tables;
    for (int pair = 1; pair <= 2; ++pair) {
        for (int row = 1; row <= 8; ++row)
            tables.setSeparateCode(row, pair, randomCode(random));
        for (int row = 1; row <= 60; ++row) {
            QStringList zones;
            for (int zone = 0; zone < 70; ++zone)
                zones << randomCode(random);
            tables.setZoneCodes(row, pair, zones);
        }
    }
    tables.setCommonCode(1, randomHex(random, 4));
    using Mark = EventCodeTables::Mark;
    for (Mark kind : {Mark::HighPriority, Mark::Mandatory})
        for (int i = random.bounded(6); i > 0; --i)
            tables.setMark(random.bounded(1, 61), kind, true);
}

} // namespace sr5n::test
