#include "app/SupportInfo.h"

#include "app/Configurator.h"
#include "common/AppTitle.h"
#include "common/SecretText.h"

#include <QDateTime>
#include <QSysInfo>
#include <QtGlobal>

namespace sr5n {

SupportInfo SupportInfo::of(Configurator &app)
{
    SupportInfo info;
    info.catalogServer = app.catalogLocation();
    info.localCatalogPath = app.localCatalogPath();
    info.catalogEnabled = app.catalogEnabled();
    return info;
}

QString SupportInfo::text() const
{
    QString text;
    const auto add = [&text](const QString &line) {
        text += line;
        text += u'\n';
    };
    add(QStringLiteral("Сведения для обращения в поддержку"));
    add(QStringLiteral("Составлено: %1")
            .arg(QDateTime::currentDateTime().toString(Qt::ISODateWithMs)));
    add(QString());
    add(QStringLiteral("Программа: %1, версия %2").arg(AppTitle(), QStringLiteral(SR5N_VERSION)));
    add(QStringLiteral("Qt: %1 (собрана с %2)")
            .arg(QString::fromLatin1(qVersion()), QStringLiteral(QT_VERSION_STR)));
    add(QStringLiteral("Система: %1; ядро %2 %3; архитектура %4")
            .arg(QSysInfo::prettyProductName(), QSysInfo::kernelType(), QSysInfo::kernelVersion(),
                 QSysInfo::currentCpuArchitecture()));
    add(QString());
    add(QStringLiteral("Порт в поле «Порт подключения»: %1")
            .arg(portField.isEmpty() ? QStringLiteral("(пусто)") : WithoutPassword(portField)));
    add(QStringLiteral("Порты (%1):").arg(ports.size()));
    for (const PortChoice &port : ports) {
        add(QStringLiteral("  ") + WithoutPassword(port.text));
        for (const QString &detail : port.hint.split(u'\n', Qt::SkipEmptyParts))
            add(QStringLiteral("      ") + WithoutPassword(detail));
    }
    add(QString());
    if (!catalogEnabled)
        add(QStringLiteral("Каталог объектов: не ведётся"));
    else if (catalogServer.isEmpty())
        add(QStringLiteral("Каталог объектов: локальный, файл SQLite %1").arg(localCatalogPath));
    else
        add(QStringLiteral("Каталог объектов: общий, сервер PostgreSQL %1 (неотправленное "
                           "хранится в %2)")
                .arg(WithoutPassword(catalogServer), localCatalogPath));
    add(QString());
    add(QStringLiteral("Журнал обмена:"));
    // The trace has its ports without passwords already; a password typed
    // anywhere else into it goes too.
    text += traces.isEmpty() ? QStringLiteral("(пуст)\n") : WithoutPassword(traces);
    return text;
}

} // namespace sr5n
