#include "services/SelfTest.h"

#include "common/HexText.h"
#include "common/Notifier.h"
#include "link/TConnection.h"

namespace sr5n {

QStringList SelfTest::testNames()
{
    return {QStringLiteral("Часы реального времени"), QStringLiteral("Память"),
            QStringLiteral("Приемник из линии"), QStringLiteral("Передатчик в линию"),
            QStringLiteral("Батарея 3В")};
}

QString SelfTest::verdictLine(unsigned mask, int test)
{
    return testNames().value(test) +
           (failed(mask, test) ? QStringLiteral(" - неисправно") : QStringLiteral(" - исправно"));
}

QString SelfTest::summary(unsigned mask)
{
    return anyFailed(mask) ? QStringLiteral("Диагностика завершена\nОбнаружены неисправности")
                           : QStringLiteral("Диагностика завершена\nСхема исправна");
}

QString SelfTest::runningText()
{
    return QStringLiteral("Подождите\nИдет диагностика коммуникатора");
}

std::optional<unsigned> SelfTest::run(TConnection &connection, Notifier &notifier)
{
    const TConnection::ExchangeResult result = connection.Exchange(
        QStringLiteral("0C"), QString(), connection.timings().diagnosticsTimeoutMs);
    connection.Close();
    if (result != TConnection::ExchangeResult::Answered)
        return std::nullopt;
    const std::optional<quint32> mask = ParseHex(connection.AnswerData());
    if (!mask) {
        notifier.reportFailure(QStringLiteral("Ошибка декодирования результатов диагностики"));
        return std::nullopt;
    }
    return static_cast<unsigned>(*mask);
}

} // namespace sr5n
