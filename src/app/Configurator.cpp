#include "app/Configurator.h"

#include "catalog/CatalogLocation.h"
#include "catalog/CatalogService.h"
#include "catalog/CatalogStore.h"
#include "catalog/HistoryImport.h"
#include "catalog/ObjectCatalog.h"
#include "catalog/SqliteCatalog.h"
#include "common/FailureWatch.h"
#include "config/ConfigModel.h"
#include "config/ConfigurationCopy.h"
#include "config/ConfigurationFile.h"
#include "config/RequestListCheck.h"
#include "config/RequestLists.h"
#include "config/RequestRun.h"
#include "events/EventCodeTables.h"
#include "events/EventLogs.h"
#include "events/EventNameLists.h"
#include "link/DeviceOperation.h"
#include "link/SystemPortScanner.h"
#include "link/TConnection.h"
#include "link/TVaCapture.h"
#include "link/TVaComm.h"
#include "protocols/ProtocolEditor.h"
#include "protocols/ProtocolLibrary.h"
#include "protocols/ProtocolLibraryLocation.h"
#include "report/HtmlReport.h"
#include "services/DeviceClock.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace sr5n {

namespace {

// Shows nothing and declines every question.
class SilentNotifier final : public Notifier
{
public:
    void flash() override {}
    void showError(const QString &) override {}
    void showInformation(const QString &) override {}
    bool askYesNo(const QString &, QuestionIcon, const QString &) override { return false; }
};

} // namespace

Configurator::Configurator(QString dataFolder, LinkTimings timings)
    : m_dataFolder(std::move(dataFolder)), m_timings(timings),
      m_silence(std::make_unique<SilentNotifier>()), m_notifier(*m_silence),
      m_config(std::make_unique<ConfigModel>()), m_eventTables(std::make_unique<EventCodeTables>()),
      m_protocolEditor(std::make_unique<ProtocolEditor>(*m_config)),
      // The library beside the data when that folder is writable, else the user's own.
      m_protocols(
          std::make_unique<ProtocolLibrary>(*m_config, *m_protocolEditor, m_notifier,
                                            ProtocolLibraryLocation::forInstallation(m_dataFolder)))
{
    m_catalog = m_protocols.get();
    m_port = std::make_unique<TVaComm>(nullptr, m_timings);
    m_capture = std::make_unique<TVaCapture>(m_notifier);
    m_capture->SetComm(m_port.get());
    m_connection = std::make_unique<TConnection>(*m_capture, m_notifier, m_timings);
    m_eventLogs = std::make_unique<EventLogs>(*m_connection, m_notifier, m_logInternalEvents,
                                              m_logExternalEvents);
    m_systemScanner = std::make_unique<SystemPortScanner>();
    m_scanner = m_systemScanner.get();
    m_localCatalogPath = DefaultCatalogPath();
    m_localHistoryFolder = HistoryImport::defaultFolder();
    m_context = std::make_unique<QObject>();
    m_objects = std::make_unique<CatalogService>(
        CatalogPlace{m_localCatalogPath, m_localHistoryFolder, m_localCatalogPath, false});
}

void Configurator::setCatalog(const QString &path, const QString &historyFolder,
                              const QString &localPath)
{
    if (!IsSharedCatalog(path)) {
        m_localCatalogPath = path;
        m_localHistoryFolder = historyFolder;
    }
    m_objects->use(CatalogPlace{path, historyFolder,
                                localPath.isEmpty() ? m_localCatalogPath : localPath,
                                m_catalogCheckApart});
    m_catalogEnabled = true;
    m_historyWarned = false;
}

void Configurator::checkCatalogApart()
{
    m_catalogCheckApart = true;
    CatalogPlace place = m_objects->place();
    place.checkApart = true;
    m_objects->use(place);
}

void Configurator::useCatalogLocation(const QString &location)
{
    if (IsSharedCatalog(location))
        setCatalog(location.trimmed(), QString());
    else
        setCatalog(m_localCatalogPath, m_localHistoryFolder);
}

QString Configurator::catalogLocation() const
{
    const QString &path = m_objects->place().path;
    return IsSharedCatalog(path) ? path : QString();
}

QStringList Configurator::takeCatalogNotices()
{
    return m_catalogEnabled ? m_objects->takeNotices() : QStringList();
}

void Configurator::fetchCatalogEntry(const CatalogEntry &entry, QObject *context,
                                     std::function<void(Expected<QByteArray>)> answer)
{
    const QString hash = entry.hash;
    m_objects->ask<QByteArray>(
        context,
        [hash](ObjectCatalog &objects) -> Expected<QByteArray> {
            CatalogStore *store = objects.store();
            const std::optional<QByteArray> bytes =
                store ? store->configuration(hash) : std::nullopt;
            if (!bytes)
                return Failure{objects.failure()};
            return *bytes;
        },
        [this, answer = std::move(answer)](Expected<QByteArray> bytes) {
            if (!bytes) {
                const QString message =
                    QStringLiteral("Невозможно прочитать конфигурацию из базы объектов");
                m_notifier.reportFailure(bytes.reason().isEmpty()
                                             ? message
                                             : message + QStringLiteral(": ") + bytes.reason());
            }
            answer(std::move(bytes));
        });
}

Expected<void> Configurator::openCatalogEntry(const QByteArray &bytes)
{
    return openCatalogEntry(bytes, blockContext());
}

Expected<void> Configurator::openCatalogEntry(const QByteArray &bytes, const BlockContext &into)
{
    FailureWatch watch(m_notifier);
    QStringList data, commands;
    if (!ReadConfigurationBytes(bytes, data, commands)) {
        m_notifier.reportFailure(
            QStringLiteral("Невозможно прочитать конфигурацию из базы объектов"));
        return watch.failure();
    }
    if (!DecodeAnswers(into, data, commands))
        return watch.failure();
    return {};
}

Configurator::~Configurator() = default;

void Configurator::setProtocolDialogs(ProtocolDialogs *dialogs)
{
    m_protocols->setDialogs(dialogs);
}

void Configurator::load()
{
    m_protocols->LoadProtocolList();
    SetUpEventTables(m_dataFolder, *m_eventTables, m_notifier);
    const QDir folder(m_dataFolder);
    LoadLogEventList(folder.filePath(QStringLiteral("lgintevs.bin")), m_logInternalEvents,
                     m_notifier);
    LoadLogEventList(folder.filePath(QStringLiteral("lgextevs.bin")), m_logExternalEvents,
                     m_notifier);
}

void Configurator::setPortScanner(PortScanner *scanner)
{
    m_scanner = scanner ? scanner : m_systemScanner.get();
}

CommunicatorFinder::Result Configurator::findCommunicator(CommunicatorFinder &finder,
                                                          const QStringList &ports,
                                                          OperationProgress *progress)
{
    Notifier &shown = m_notifier.target();
    m_notifier.setTarget(*m_silence);
    CommunicatorFinder::Result result = finder.find(ports, progress);
    m_notifier.setTarget(shown);
    return result;
}

void Configurator::setProtocolCatalog(ProtocolCatalog *catalog)
{
    m_catalog = catalog ? catalog : m_protocols.get();
}

BlockContext Configurator::blockContext()
{
    return BlockContext{*m_config, *m_eventTables, *m_catalog, m_notifier};
}

bool Configurator::collectAnswers(DeviceOperation &operation, QStringList &answerData,
                                  QStringList &answerCommands)
{
    QStringList data, commands;
    BuildReadRequests(data, commands);
    return RunRequests(
        *m_connection, RunKind::Reading, data, commands, [&operation] { operation.step(); },
        &answerData, &answerCommands);
}

bool Configurator::readConfiguration(DeviceOperation &operation)
{
    return readConfiguration(operation, blockContext());
}

bool Configurator::readConfiguration(DeviceOperation &operation, const BlockContext &into)
{
    operation.setMaximum(static_cast<int>(ConfigurationRequestCount()));
    QStringList answerData, answerCommands;
    // Nothing of the configuration changes before every answer is in.
    if (!collectAnswers(operation, answerData, answerCommands) ||
        !DecodeAnswers(into, answerData, answerCommands))
        return false;
    keepInHistory(CatalogOperation::Read, operation.portName(), into.model, answerData,
                  WriteCommandsOf(answerCommands));
    return true;
}

bool Configurator::sendConfiguration(DeviceOperation &operation, int laterSteps, QStringList &data,
                                     QStringList &commands)
{
    if (!BuildWriteRequests(blockContext(), data, commands))
        return false;
    // Nothing reaches the device unless the whole list is right.
    if (const std::optional<QString> fault = RequestListFault(data, commands)) {
        data.clear();
        commands.clear();
        m_notifier.reportFailure(QStringLiteral("Конфигурация не записана: ") + *fault);
        return false;
    }
    operation.setMaximum(static_cast<int>(commands.size()) + laterSteps);
    return RunRequests(*m_connection, RunKind::Writing, data, commands,
                       [&operation] { operation.step(); });
}

bool Configurator::writeConfiguration(DeviceOperation &operation)
{
    QStringList data, commands;
    if (!sendConfiguration(operation, 0, data, commands))
        return false;
    keepInHistory(CatalogOperation::Written, operation.portName(), *m_config, data, commands);
    return true;
}

Configurator::Verification Configurator::writeVerified(DeviceOperation &operation,
                                                       ConfigurationCopy &readBack,
                                                       QList<ConfigDifference> &differences)
{
    differences.clear();
    QStringList data, commands;
    if (!sendConfiguration(operation, static_cast<int>(ConfigurationRequestCount()), data,
                           commands))
        return Verification::NotWritten;
    QStringList answerData, answerCommands;
    if (!collectAnswers(operation, answerData, answerCommands) ||
        !DecodeAnswers(readBack.context(), answerData, answerCommands)) {
        keepInHistory(CatalogOperation::WriteUnverified, operation.portName(), *m_config, data,
                      commands);
        return Verification::Unchecked;
    }
    differences = compareWith(ConfigSide{readBack.model(), readBack.tables()});
    if (differences.isEmpty()) {
        keepInHistory(CatalogOperation::VerifiedWrite, operation.portName(), *m_config, data,
                      commands);
        return Verification::Same;
    }
    // Both are kept: what was sent, and what the device holds instead.
    keepInHistory(CatalogOperation::VerificationFailed, operation.portName(), *m_config, data,
                  commands, verificationFailure(differences.size()));
    // The window names the object by what was written.
    keepInHistory(CatalogOperation::VerificationRead, operation.portName(), readBack.model(),
                  answerData, WriteCommandsOf(answerCommands), QString(), false);
    return Verification::Different;
}

QString Configurator::verificationNotice(Verification result)
{
    const QString written = QStringLiteral("Конфигурация записана успешно");
    switch (result) {
    case Verification::Same:
        return written +
               QStringLiteral("\nЗапись проверена: коммуникатор хранит записанную конфигурацию");
    case Verification::Unchecked:
        return written +
               QStringLiteral("\nЗапись не проверена: конфигурация не прочитана из коммуникатора");
    case Verification::NotWritten:
    case Verification::Different:
        break;
    }
    return QString();
}

QString Configurator::verificationFailure(qsizetype differences)
{
    return QStringLiteral("Проверка записи не пройдена: коммуникатор хранит не ту конфигурацию, "
                          "которая была записана (различий: %1)")
        .arg(differences);
}

void Configurator::keepInHistory(CatalogOperation operation, const QString &port,
                                 const ConfigModel &model, const QStringList &data,
                                 const QStringList &commands, const QString &note, bool names)
{
    if (names) {
        m_lastEntry.reset();
        m_changedSince.reset();
    }
    if (!m_catalogEnabled)
        return;
    const QByteArray snc = ConfigurationFileBytes(data, commands);
    if (snc.isEmpty())
        return;
    // Made now, on this thread (the model is the window's); kept and sent on
    // the catalogue's thread while the device operation goes on.
    const bool intoWindow = operation == CatalogOperation::Read && &model == m_config.get();
    ++m_recordsPending;
    m_objects->record(ObjectCatalog::NewEntry(operation, port, snc, model, note), intoWindow,
                      m_context.get(), [this, names, intoWindow](Expected<RecordedEntry> recorded) {
                          takeRecorded(std::move(recorded), names, intoWindow);
                      });
}

void Configurator::takeRecorded(Expected<RecordedEntry> recorded, bool names, bool intoWindow)
{
    --m_recordsPending;
    if (!recorded) {
        // Once a run: the device operation itself went well. A catalogue
        // that only reads said so when it opened.
        if (m_historyWarned || recorded.reason().isEmpty())
            return;
        m_historyWarned = true;
        m_notifier.reportFailure(CatalogRecordFailure(m_objects->place().path, recorded.reason()));
        return;
    }
    if (!names)
        return;
    m_lastEntry = recorded->entry;
    m_changedSince.reset();
    if (intoWindow && recorded->lastWrite)
        m_changedSince = findChangedSince(*recorded->lastWrite, recorded->lastWriteBytes);
    if (m_recordListener)
        m_recordListener(*m_lastEntry);
}

std::optional<Configurator::ChangedSince>
Configurator::findChangedSince(const CatalogEntry &written, const QByteArray &bytes)
{
    ConfigurationCopy copy(blockContext());
    if (!openCatalogEntry(bytes, copy.context()))
        return std::nullopt;
    const qsizetype differences = compareWith(ConfigSide{copy.model(), copy.tables()}).size();
    if (differences == 0)
        return std::nullopt;
    return ChangedSince{written, differences};
}

QString Configurator::changedSinceMessage(const ChangedSince &changed)
{
    return QStringLiteral("Коммуникатор хранит не ту конфигурацию, которую программа записала в "
                          "него %1 (различий: %2): ее изменили после записи. Показать различия?")
        .arg(changed.written.time.toLocalTime().toString(u"dd.MM.yyyy HH:mm:ss"))
        .arg(changed.differences);
}

QString Configurator::CatalogRecordFailure(const QString &path, const QString &reason)
{
    return QStringLiteral("Невозможно записать конфигурацию в базу объектов \"%1\": %2. "
                          "Операции с коммуникатором выполняются как обычно")
        .arg(QDir::toNativeSeparators(path), reason);
}

QList<ConfigDifference> Configurator::compareWith(const ConfigSide &other)
{
    return CompareConfigurations(ConfigSide{*m_config, *m_eventTables}, other);
}

Expected<void> Configurator::saveConfiguration(const QString &path)
{
    FailureWatch watch(m_notifier);
    QStringList data, commands;
    if (!BuildWriteRequests(blockContext(), data, commands))
        return watch.failure();
    if (!WriteConfigurationFile(path, data, commands)) {
        m_notifier.reportFailure(QStringLiteral("Невозможно сохранить файл"));
        return watch.failure();
    }
    keepInHistory(CatalogOperation::Saved, QString(), *m_config, data, commands,
                  QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
    return {};
}

Expected<void> Configurator::saveConfigurationBytes(const QString &path, const QByteArray &bytes)
{
    FailureWatch watch(m_notifier);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        m_notifier.reportFailure(QStringLiteral("Невозможно сохранить файл"));
        return watch.failure();
    }
    return {};
}

Expected<void> Configurator::saveConfiguration(const QString &path, const FileWriter &write)
{
    FailureWatch watch(m_notifier);
    QStringList data, commands;
    if (!BuildWriteRequests(blockContext(), data, commands))
        return watch.failure();
    if (const std::optional<QString> failure =
            write(path, ConfigurationFileBytes(data, commands))) {
        m_notifier.reportFailure(*failure);
        return watch.failure();
    }
    keepInHistory(CatalogOperation::Saved, QString(), *m_config, data, commands,
                  QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
    return {};
}

Expected<void> Configurator::openConfiguration(const QString &path)
{
    if (Expected<void> opened = openConfiguration(path, blockContext()); !opened)
        return opened;
    // What the window now holds, as the file holds it.
    QStringList data, commands;
    if (ReadConfigurationFile(path, data, commands))
        keepInHistory(CatalogOperation::Opened, QString(), *m_config, data, commands,
                      QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
    return {};
}

Expected<void> Configurator::openConfiguration(const QString &path, const BlockContext &into)
{
    FailureWatch watch(m_notifier);
    // A file that holds less than a whole, well-formed configuration is
    // refused as a whole: nothing of it is decoded, shown or written.
    QStringList data, commands;
    QString fault;
    if (!ReadConfigurationFile(path, data, commands, &fault)) {
        QString message = QStringLiteral("Невозможно прочитать файл. Возможно, файл поврежден");
        if (m_explainsFileFaults && !fault.isEmpty())
            message += QStringLiteral("\n%1: %2").arg(QDir::toNativeSeparators(path), fault);
        m_notifier.reportFailure(message);
        return watch.failure();
    }
    if (!DecodeAnswers(into, data, commands))
        return watch.failure();
    return {};
}

Expected<void> Configurator::exportHtml(const QString &path)
{
    FailureWatch watch(m_notifier);
    if (!WriteHtmlReport(path, htmlReport())) {
        m_notifier.reportFailure(QStringLiteral("Невозможно сохранить файл"));
        return watch.failure();
    }
    return {};
}

QByteArray Configurator::htmlReport() const
{
    return BuildHtmlReport(*m_config, *m_eventTables, QDateTime::currentDateTime());
}

std::optional<QTime> Configurator::readClock(DeviceOperation &operation)
{
    if (!m_connection->Read(QStringLiteral("11"), QString()) || !m_connection->Answered())
        return std::nullopt;
    operation.step();
    const std::optional<QTime> time = DecodeCurrentTime(m_connection->AnswerData());
    if (!time)
        m_notifier.reportFailure(QStringLiteral("Ошибка декодирования времени"));
    return time;
}

bool Configurator::writeClock(DeviceOperation &operation, const QTime &time)
{
    const bool written = m_connection->Write(QStringLiteral("12"), EncodeCurrentTime(time));
    operation.step();
    return written;
}

} // namespace sr5n
