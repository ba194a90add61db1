#include "link/LineTrace.h"

#include "link/Frame.h"

namespace sr5n::LineTraceText {

namespace {

constexpr char Digits[] = "0123456789ABCDEF";

struct CommandWords {
    char code[3];
    const char *words;
};

// Every command the program sends, by its code; reads and writes of a block
// share the block's name.
const CommandWords Commands[] = {
    {"02", "запись: номер 1 пары 1"},
    {"03", "чтение: номер 1 пары 1"},
    {"18", "запись: номер 2 пары 1"},
    {"19", "чтение: номер 2 пары 1"},
    {"04", "запись: номер 1 пары 2"},
    {"05", "чтение: номер 1 пары 2"},
    {"1A", "запись: номер 2 пары 2"},
    {"1B", "чтение: номер 2 пары 2"},
    {"1E", "запись: протокол пары 1"},
    {"1F", "чтение: протокол пары 1"},
    {"20", "запись: протокол пары 2"},
    {"21", "чтение: протокол пары 2"},
    {"08", "запись: тест и проверка линии"},
    {"09", "чтение: тест и проверка линии"},
    {"29", "запись: автоматический сброс"},
    {"2A", "чтение: автоматический сброс"},
    {"1C", "запись: голосовой вызов"},
    {"1D", "чтение: голосовой вызов"},
    {"0A", "запись: входящие вызовы"},
    {"0B", "чтение: входящие вызовы"},
    {"2B", "запись: занятость и шум линии"},
    {"2C", "чтение: занятость и шум линии"},
    {"06", "запись: системные события"},
    {"07", "чтение: системные события"},
    {"22", "запись: групповой код"},
    {"23", "чтение: групповой код"},
    {"26", "запись: ППКП"},
    {"27", "чтение: ППКП"},
    {"14", "запись: системные события 2"},
    {"15", "чтение: системные события 2"},
    {"0D", "запись: события высокого приоритета"},
    {"0E", "чтение: события высокого приоритета"},
    {"0F", "состояние журналов событий"},
    {"28", "очистка журналов событий"},
    {"11", "чтение часов"},
    {"12", "запись часов"},
    {"0C", "самотестирование"},
};

} // namespace

QString hex(QByteArrayView bytes)
{
    QString text;
    if (bytes.isEmpty())
        return text;
    text.resize(bytes.size() * 3 - 1, u' ');
    QChar *out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<quint8>(bytes[i]);
        out[i * 3] = QLatin1Char(Digits[byte >> 4]);
        out[i * 3 + 1] = QLatin1Char(Digits[byte & 0x0F]);
    }
    return text;
}

QString readable(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<quint8>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            text += QLatin1Char(c);
        } else {
            text += QLatin1String("\\x");
            text += QLatin1Char(Digits[byte >> 4]);
            text += QLatin1Char(Digits[byte & 0x0F]);
        }
    }
    return text;
}

QString request(QByteArrayView body)
{
    const QByteArrayView command = body.first(qMin<qsizetype>(2, body.size()));
    const QByteArrayView data = body.sliced(command.size());
    const QString code = QString::fromLatin1(command);
    if (command == "00" || command == "01") {
        // A memory request: the address, then the bytes (written) or their count (read).
        const QString address = QString::fromLatin1(data.first(qMin<qsizetype>(4, data.size())));
        const QByteArrayView rest = data.sliced(qMin<qsizetype>(4, data.size()));
        const qsizetype count =
            command == "01" ? rest.toByteArray().toInt(nullptr, 16) : rest.size() / 2;
        return QStringLiteral("%1 памяти: адрес %2, байт %3 (%4)")
            .arg(command == "00" ? QStringLiteral("запись") : QStringLiteral("чтение"), address)
            .arg(count)
            .arg(code);
    }
    for (const CommandWords &known : Commands) {
        if (command == known.code)
            return QStringLiteral("%1 (%2)").arg(QString::fromUtf8(known.words), code);
    }
    return QStringLiteral("команда %1").arg(code);
}

QString checksumVerdict(QByteArrayView message)
{
    if (!IsUpperHex(message))
        return QStringLiteral("не шестнадцатеричные цифры верхнего регистра: отброшено");
    if (message.size() < 2)
        return QStringLiteral("нет контрольной суммы: отброшено");
    const QByteArray expected = ChecksumDigits(message.first(message.size() - 2));
    const QByteArrayView given = message.last(2);
    if (expected != given)
        return QStringLiteral("неверная контрольная сумма: %1, а должна быть %2: отброшено")
            .arg(QString::fromLatin1(given), QString::fromLatin1(expected));
    return QStringLiteral("контрольная сумма %1 верна").arg(QString::fromLatin1(given));
}

QString label(LineTrace::Event event)
{
    switch (event) {
    case LineTrace::Event::Opened:
        return QStringLiteral("ОТКРЫТ");
    case LineTrace::Event::OpenFailed:
        return QStringLiteral("НЕ ОТКРЫТ");
    case LineTrace::Event::Closed:
        return QStringLiteral("ЗАКРЫТ");
    case LineTrace::Event::Sent:
        return QStringLiteral("→");
    case LineTrace::Event::Received:
        return QStringLiteral("←");
    case LineTrace::Event::Answer:
        return QStringLiteral("ОТВЕТ");
    case LineTrace::Event::Retry:
        return QStringLiteral("ПОВТОР");
    case LineTrace::Event::TimedOut:
        return QStringLiteral("ТАЙМ-АУТ");
    case LineTrace::Event::Note:
        return QStringLiteral("—");
    }
    return QString();
}

} // namespace sr5n::LineTraceText
