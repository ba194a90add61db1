#include "cli/JsonKeys.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QList>
#include <QSet>

namespace sr5n {

namespace {

// A JSON string token (with its quotes) as its text.
QString stringValue(const QByteArray &token)
{
    if (!token.contains('\\'))
        return QString::fromUtf8(token.mid(1, token.size() - 2));
    const QJsonDocument document = QJsonDocument::fromJson('[' + token + ']');
    return document.array().at(0).toString();
}

struct Level {
    bool object = false;
    bool keyNext = false;
    QString name; // the key this object or array is the value of
    QString lastKey;
    QSet<QString> keys;
};

} // namespace

std::optional<QString> DuplicateJsonKey(const QByteArray &json)
{
    QList<Level> levels;
    for (qsizetype i = 0; i < json.size(); ++i) {
        const char c = json.at(i);
        if (c == '"') {
            qsizetype end = i + 1;
            while (end < json.size() && json.at(end) != '"')
                end += json.at(end) == '\\' ? 2 : 1;
            if (!levels.isEmpty() && levels.last().object && levels.last().keyNext) {
                Level &level = levels.last();
                const QString key = stringValue(json.mid(i, end - i + 1));
                if (level.keys.contains(key)) {
                    if (level.name.isEmpty())
                        return QStringLiteral("ключ \"%1\" повторяется").arg(ReadableEcho(key));
                    return QStringLiteral("ключ \"%1\" повторяется в \"%2\"")
                        .arg(ReadableEcho(key), ReadableEcho(level.name));
                }
                level.keys.insert(key);
                level.lastKey = key;
                level.keyNext = false;
            }
            i = end;
        } else if (c == '{' || c == '[') {
            Level level;
            level.object = c == '{';
            level.keyNext = level.object;
            if (!levels.isEmpty())
                level.name = levels.last().object ? levels.last().lastKey : levels.last().name;
            levels.append(level);
        } else if (c == '}' || c == ']') {
            if (!levels.isEmpty())
                levels.removeLast();
        } else if (c == ',' && !levels.isEmpty() && levels.last().object) {
            levels.last().keyNext = true;
        }
    }
    return std::nullopt;
}

TextPlace PlaceOfOffset(const QByteArray &text, qsizetype offset)
{
    TextPlace place;
    const qsizetype end = qMin(offset, text.size());
    for (qsizetype i = 0; i < end; ++i) {
        const auto byte = static_cast<unsigned char>(text.at(i));
        if (byte == '\n') {
            ++place.line;
            place.column = 1;
        } else if ((byte & 0xC0) != 0x80) {
            ++place.column; // a character's first byte
        }
    }
    return place;
}

} // namespace sr5n
