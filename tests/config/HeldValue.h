#pragma once

#include "config/ConfigModel.h"

#include <QString>

namespace sr5n::test {

// The model's value of `name` as text, whatever its kind.
inline QString HeldText(const ConfigModel &model, const QString &name)
{
    switch (model.description(name)->kind) {
    case ValueKind::Slider:
    case ValueKind::Mask:
        return QString::number(model.slider(name));
    case ValueKind::Flag:
        return model.flag(name) ? QStringLiteral("true") : QStringLiteral("false");
    case ValueKind::Code:
    case ValueKind::Phone:
        return model.text(name);
    case ValueKind::Time:
        return model.time(name).toString(QStringLiteral("HH:mm"));
    case ValueKind::Choice:
        return QString::number(model.choice(name));
    }
    return {};
}

} // namespace sr5n::test
