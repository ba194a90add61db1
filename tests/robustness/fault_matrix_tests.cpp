// Every device operation of the main window against every fault the simulated
// communicator can put on the line: the message the user gets, the state left
// behind (configuration, clock picker, link, window), and that the next run of
// the same operation against a healthy device works.
#include "app/Configurator.h"
#include "common/FakeNotifier.h"
#include "common/PortMessages.h"
#include "common/SimProcess.h"
#include "common/WindowCommands.h"
#include "common/WindowParts.h"
#include "components/TMultiGrid.h"
#include "config/BlockContext.h"
#include "config/ConfigModel.h"
#include "config/FakeProtocolCatalog.h"
#include "config/RequestLists.h"
#include "events/EventCodeTables.h"
#include "events/EventLogs.h"
#include "link/TConnection.h"
#include "ui/TfrmMain.h"
#include "ui/TfrmProgress.h"
#include "ui/events/LogsPage.h"
#include "ui/services/ClockPanel.h"
#include "ui/services/TfrmTestScheme.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimeEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace sr5n;

namespace {

const QString kStarterRecord = QStringLiteral("02000004FF1F00000000000000000000050528");
const QString kOtherRecord = QStringLiteral("00000100CF0000000000000000000000050526");
const QString kMissingPort = QStringLiteral("/dev/sr5n-missing-port");
const QTime kPickerBefore(1, 2, 3);
const QString kDeviceClock = QStringLiteral("12:45:30");

const QString kCheckList =
    QStringLiteral(".\nНеобходимо проверить:\n"
                   "  - Соответствие версий ПО коммуникатора и конфигуратора;\n"
                   "  - Правильность подключения коммуникатора к компьютеру;\n"
                   "  - Целостность кабеля передачи данных");

enum class Operation {
    ReadConfig,
    WriteConfig,
    ReadClock,
    WriteClock,
    ReadLog,
    ClearLogs,
    Diagnostics
};

enum class Fault {
    Silence,
    Busy,
    MemoryFault,
    ClockFault,
    BadChecksum,
    LowerCase,
    WrongCommand,
    Noise,
    HangUp,
    MissingPort,
    // The same faults on one request only: the retries may recover.
    SilenceOnce,
    BusyOnce,
    WrongCommandOnce,
    BadChecksumOnce,
    // Corrupted answers to six and to seven frames in a row from request k:
    // each costs one attempt of the seven.
    BadChecksumSix,
    BadChecksumSeven,
    // The answer to request k comes after the time-out, when the request has
    // gone out again; the answer to that second frame reaches the next request.
    LateOnce,
};

// What the user is told, or that the operation works.
enum class Outcome {
    Works,
    NoAnswer,
    TransferError,
    ReadError,
    WriteError,
    MemoryFault,
    ClockFault,
    PortUnavailable,
    LogsNotErased, // seven busy answers to the erase request
    SilentFailure, // stops without any message
};

const char *name(Operation operation)
{
    switch (operation) {
    case Operation::ReadConfig:
        return "ReadConfig";
    case Operation::WriteConfig:
        return "WriteConfig";
    case Operation::ReadClock:
        return "ReadClock";
    case Operation::WriteClock:
        return "WriteClock";
    case Operation::ReadLog:
        return "ReadLog";
    case Operation::ClearLogs:
        return "ClearLogs";
    case Operation::Diagnostics:
        return "Diagnostics";
    }
    return "?";
}

const char *name(Fault fault)
{
    switch (fault) {
    case Fault::Silence:
        return "Silence";
    case Fault::Busy:
        return "Busy";
    case Fault::MemoryFault:
        return "FF01";
    case Fault::ClockFault:
        return "FF02";
    case Fault::BadChecksum:
        return "BadChecksum";
    case Fault::LowerCase:
        return "LowerCase";
    case Fault::WrongCommand:
        return "WrongCommand";
    case Fault::Noise:
        return "Noise";
    case Fault::HangUp:
        return "HangUp";
    case Fault::MissingPort:
        return "MissingPort";
    case Fault::SilenceOnce:
        return "SilenceOnce";
    case Fault::BusyOnce:
        return "BusyOnce";
    case Fault::WrongCommandOnce:
        return "WrongCommandOnce";
    case Fault::BadChecksumOnce:
        return "BadChecksumOnce";
    case Fault::BadChecksumSix:
        return "BadChecksumSix";
    case Fault::BadChecksumSeven:
        return "BadChecksumSeven";
    case Fault::LateOnce:
        return "LateOnce";
    }
    return "?";
}

struct Cell {
    Operation operation;
    Fault fault;
    Outcome outcome;
};

void PrintTo(const Cell &cell, std::ostream *out)
{
    *out << name(cell.operation) << " x " << name(cell.fault);
}

// The first request the fault hits: a configuration run fails in the middle,
// after answers have come in; a log reading at its first piece of memory,
// after the status; the other operations have one request.
int firstFaultyRequest(Operation operation)
{
    switch (operation) {
    case Operation::ReadConfig:
    case Operation::WriteConfig:
        return 5;
    case Operation::ReadLog:
        return 2;
    default:
        return 1;
    }
}

// The device every cell starts from: its clock, and a low-priority log with
// three records (newest at 0004, one not yet sent to pair 1).
QStringList healthyDevice(const QString &statePath)
{
    return {QStringLiteral("--clock"), kDeviceClock, QStringLiteral("--state"), statePath};
}

bool writeDeviceState(const QString &path)
{
    QString memory(1024, u'F');
    memory.replace(0, 12, QStringLiteral("03050A120571"));
    QJsonObject state;
    state.insert(QStringLiteral("logStatus"), QStringLiteral("0004010000000000"));
    state.insert(QStringLiteral("memory"), QJsonObject{{QStringLiteral("0000"), memory}});
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(QJsonDocument(state).toJson()) > 0;
}

QStringList simArguments(const Cell &cell, const QString &statePath)
{
    const QString from = QString::number(firstFaultyRequest(cell.operation));
    const QString onward = from + QLatin1Char('-');
    QStringList arguments = healthyDevice(statePath);
    switch (cell.fault) {
    case Fault::Silence:
        return arguments << QStringLiteral("--silent") << onward;
    case Fault::Busy:
        return arguments << QStringLiteral("--busy") << onward;
    case Fault::MemoryFault:
        return arguments << QStringLiteral("--memory-fault") << onward;
    case Fault::ClockFault:
        return arguments << QStringLiteral("--clock-fault") << onward;
    case Fault::BadChecksum:
        return arguments << QStringLiteral("--bad-checksum") << onward;
    case Fault::LowerCase:
        return arguments << QStringLiteral("--lower-case") << onward;
    case Fault::WrongCommand:
        return arguments << QStringLiteral("--wrong-command") << onward;
    case Fault::Noise:
        return arguments << QStringLiteral("--noise");
    case Fault::HangUp:
        return arguments << QStringLiteral("--hang-up")
                         << QString::number(firstFaultyRequest(cell.operation) - 1);
    case Fault::MissingPort:
        return arguments;
    case Fault::SilenceOnce:
        return arguments << QStringLiteral("--silent") << from;
    case Fault::BusyOnce:
        return arguments << QStringLiteral("--busy") << from;
    case Fault::WrongCommandOnce:
        return arguments << QStringLiteral("--wrong-command") << from;
    case Fault::BadChecksumOnce:
        return arguments << QStringLiteral("--bad-checksum") << from;
    case Fault::BadChecksumSix:
    case Fault::BadChecksumSeven: {
        const int first = firstFaultyRequest(cell.operation);
        const int last = first + (cell.fault == Fault::BadChecksumSix ? 5 : 6);
        return arguments << QStringLiteral("--bad-checksum")
                         << QStringLiteral("%1-%2").arg(first).arg(last);
    }
    case Fault::LateOnce:
        return arguments << QStringLiteral("--late") << from;
    }
    return arguments;
}

QString expectedMessage(Outcome outcome, const QString &port)
{
    switch (outcome) {
    case Outcome::NoAnswer:
        return QStringLiteral("Коммуникатор не отвечает") + kCheckList;
    case Outcome::TransferError:
        return QStringLiteral("Ошибка передачи данных") + kCheckList;
    case Outcome::ReadError:
        return QStringLiteral("Ошибка чтения") + kCheckList;
    case Outcome::WriteError:
        return QStringLiteral("Ошибка записи") + kCheckList;
    case Outcome::MemoryFault:
        return QStringLiteral("Неисправность памяти");
    case Outcome::ClockFault:
        return QStringLiteral("Неисправность часов реального времени");
    case Outcome::PortUnavailable:
        // A port that is not there, or a line that hangs up under the operation.
        return port == kMissingPort ? test::NoSuchPortMessage(port) : test::LineLostMessage(port);
    case Outcome::LogsNotErased:
        return QStringLiteral("Журналы событий не очищены: коммуникатор занят");
    case Outcome::Works:
    case Outcome::SilentFailure:
        break;
    }
    return {};
}

// The main window with every window a device operation needs, on short link
// timings, a protocol library in memory and a notifier that records.
struct Rig {
    test::FakeNotifier notifier;
    Configurator app{QCoreApplication::applicationDirPath(), test::ShortLinkTimings()};
    TfrmMain window{app};
    TfrmProgress progress{&window};
    TfrmTestScheme testScheme{app.connection(), app.notifier(), &window};
    test::FakeProtocolCatalog catalog{app.config()};
    QTemporaryDir folder;
    QString statePath = folder.filePath(QStringLiteral("device.json"));
    bool verdictShown = false; // diagnostics reached its result

    Rig()
    {
        EXPECT_TRUE(writeDeviceState(statePath));
        app.setNotifier(notifier);
        window.setProgressWindow(&progress);
        window.setTestSchemeWindow(&testScheme);
        app.setProtocolCatalog(&catalog);
        catalog.add(QStringLiteral("Contact ID"), kStarterRecord);
        catalog.add(QStringLiteral("4+2"), kOtherRecord);
        // Values unlike the device's, so that any decoding would show.
        ConfigModel &config = app.config();
        config.setChoice(QStringLiteral("cbx1PProtocol"), 1);
        config.setChoice(QStringLiteral("cbx2PProtocol"), 0);
        config.setText(QStringLiteral("edt1P1N"), QStringLiteral("8123A4567"));
        config.setFlag(QStringLiteral("chb1P1N"), true);
        config.setSlider(QStringLiteral("trbPassiveDays"), 3);
        app.eventTables().setSeparateCode(3, 2, QStringLiteral("ABCD"));
        test::part<ClockPanel>(window, "pnlCurrentTime")->dtpCurrentTime->setTime(kPickerBefore);
    }

    // The configuration as the device would receive it: every value and code.
    QStringList configuration()
    {
        QStringList data, commands;
        test::FakeNotifier quiet;
        BuildWriteRequests(BlockContext{app.config(), app.eventTables(), catalog, quiet}, data,
                           commands);
        return commands + data;
    }

    void run(Operation operation)
    {
        switch (operation) {
        case Operation::ReadConfig:
            test::trigger(window, "actRead");
            break;
        case Operation::WriteConfig:
            test::trigger(window, "actWrite");
            break;
        case Operation::ReadClock:
            test::trigger(window, "actClockRead");
            break;
        case Operation::WriteClock:
            test::trigger(window, "actClockWrite");
            break;
        case Operation::ReadLog:
            test::part<LogsPage>(window, "tshLogs")
                ->tbcLogs->setCurrentIndex(LogsPage::LowPriorityTab);
            test::part<LogsPage>(window, "tshLogs")->btnReadLog->click();
            break;
        case Operation::ClearLogs:
            notifier.answers = {true};
            test::trigger(window, "actClearLogs");
            break;
        case Operation::Diagnostics:
            runDiagnostics();
            break;
        }
    }

    // Record rows of the log table (it always holds the header row, and an
    // empty row when no record is shown).
    int logRows() const
    {
        const TMultiGrid &grid = *test::part<LogsPage>(window, "tshLogs")->mgdLog;
        int rows = 0;
        for (int row = 1; row < grid.RowCount(); ++row)
            rows += grid.Cells(1, row)->Text().isEmpty() ? 0 : 1;
        return rows;
    }

    // Runs the modal diagnostics window, pressing OK once the verdict shows.
    void runDiagnostics()
    {
        verdictShown = false;
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [this] {
            if (testScheme.isVisible() && testScheme.btnOK->isVisible()) {
                verdictShown = true;
                testScheme.btnOK->click();
            }
        });
        poll.start();
        test::trigger(window, "actTestScheme");
    }

    // The success the operation shows.
    bool succeeded(Operation operation) const
    {
        switch (operation) {
        case Operation::ReadConfig:
            return notifier.informations == QStringList{"Конфигурация прочитана успешно"};
        case Operation::WriteConfig:
            return notifier.informations == QStringList{"Конфигурация записана успешно"};
        case Operation::ReadClock:
            return notifier.informations.isEmpty() &&
                   test::part<ClockPanel>(window, "pnlCurrentTime")
                           ->dtpCurrentTime->time()
                           .toString(u"HH:mm") == kDeviceClock.left(5);
        case Operation::WriteClock:
            return notifier.informations == QStringList{"Время записано успешно"};
        case Operation::ReadLog:
            return notifier.informations.isEmpty() && logRows() == 3;
        case Operation::ClearLogs:
            return notifier.informations == QStringList{"Журналы событий коммуникатора очищены"};
        case Operation::Diagnostics:
            return verdictShown && notifier.informations.isEmpty() &&
                   testScheme.lblMsg->text() ==
                       QStringLiteral("Диагностика завершена\nСхема исправна");
        }
        return false;
    }
};

class FaultMatrix : public testing::TestWithParam<Cell>
{
};

TEST_P(FaultMatrix, MessageStateAndRecovery)
{
    const Cell cell = GetParam();
    Rig rig;
    auto sim = std::make_unique<test::SimProcess>(simArguments(cell, rig.statePath));
    ASSERT_TRUE(sim->started());
    const QString port = cell.fault == Fault::MissingPort ? kMissingPort : sim->path();
    test::part<QComboBox>(rig.window, "cbxComPort")->setEditText(port);
    const QStringList configurationBefore = rig.configuration();

    rig.run(cell.operation);

    const QString message = expectedMessage(cell.outcome, port);
    EXPECT_EQ(rig.notifier.errors, message.isEmpty() ? QStringList() : QStringList{message});
    EXPECT_EQ(rig.notifier.flashes, rig.notifier.errors.size()) << "one flash per failure";
    EXPECT_EQ(rig.succeeded(cell.operation), cell.outcome == Outcome::Works)
        << "told: " << testing::PrintToString(rig.notifier.informations);
    if (cell.outcome != Outcome::Works) {
        EXPECT_TRUE(rig.notifier.informations.isEmpty());
        if (cell.operation == Operation::ReadConfig) {
            EXPECT_EQ(rig.configuration(), configurationBefore) << "a failed read changed values";
        }
        if (cell.operation == Operation::ReadClock) {
            EXPECT_EQ(test::part<ClockPanel>(rig.window, "pnlCurrentTime")->dtpCurrentTime->time(),
                      kPickerBefore);
        }
        if (cell.operation == Operation::ReadLog) {
            EXPECT_EQ(rig.logRows(), 0);
        }
    }
    EXPECT_FALSE(rig.app.connection().Opened());
    EXPECT_TRUE(rig.window.isEnabled());
    EXPECT_EQ(rig.progress.Tag, 0);
    EXPECT_FALSE(rig.progress.isVisible());
    EXPECT_FALSE(rig.testScheme.isVisible());
    if (cell.outcome == Outcome::Works)
        return;

    // The same window, the same operation, a healthy device.
    sim = std::make_unique<test::SimProcess>(healthyDevice(rig.statePath));
    ASSERT_TRUE(sim->started());
    test::part<QComboBox>(rig.window, "cbxComPort")->setEditText(sim->path());
    rig.notifier.clear();
    rig.run(cell.operation);
    EXPECT_EQ(rig.notifier.errors, QStringList()) << "the next operation";
    EXPECT_TRUE(rig.succeeded(cell.operation)) << "the next operation";
    if (cell.operation == Operation::ReadConfig) {
        EXPECT_NE(rig.configuration(), configurationBefore) << "the next read decodes";
    }
    EXPECT_FALSE(rig.app.connection().Opened());
    EXPECT_TRUE(rig.window.isEnabled());
}

// Operation x fault -> outcome. A fault "from request k on" hits every later
// request too; "Once" hits request k only, so the retries may recover.
const Cell kCells[] = {
    // Reading the configuration (the fault from request 5 of 858 on).
    {Operation::ReadConfig, Fault::Silence, Outcome::NoAnswer},
    {Operation::ReadConfig, Fault::Busy, Outcome::ReadError},
    {Operation::ReadConfig, Fault::MemoryFault, Outcome::MemoryFault},
    {Operation::ReadConfig, Fault::ClockFault, Outcome::ClockFault},
    {Operation::ReadConfig, Fault::BadChecksum, Outcome::TransferError},
    {Operation::ReadConfig, Fault::LowerCase, Outcome::TransferError},
    {Operation::ReadConfig, Fault::WrongCommand, Outcome::ReadError},
    {Operation::ReadConfig, Fault::Noise, Outcome::Works},
    {Operation::ReadConfig, Fault::HangUp, Outcome::PortUnavailable},
    {Operation::ReadConfig, Fault::MissingPort, Outcome::PortUnavailable},
    {Operation::ReadConfig, Fault::SilenceOnce, Outcome::Works},
    {Operation::ReadConfig, Fault::BusyOnce, Outcome::Works},
    {Operation::ReadConfig, Fault::WrongCommandOnce, Outcome::Works},
    {Operation::ReadConfig, Fault::BadChecksumOnce, Outcome::Works},
    {Operation::ReadConfig, Fault::BadChecksumSix, Outcome::Works},
    {Operation::ReadConfig, Fault::BadChecksumSeven, Outcome::TransferError},
    {Operation::ReadConfig, Fault::LateOnce, Outcome::Works},
    // Writing the configuration (from request 5 on). The answers to the
    // writes 02, 18 and 04 have no letters, so lower case fails at 1A.
    {Operation::WriteConfig, Fault::Silence, Outcome::NoAnswer},
    {Operation::WriteConfig, Fault::Busy, Outcome::WriteError},
    {Operation::WriteConfig, Fault::MemoryFault, Outcome::MemoryFault},
    {Operation::WriteConfig, Fault::ClockFault, Outcome::ClockFault},
    {Operation::WriteConfig, Fault::BadChecksum, Outcome::TransferError},
    {Operation::WriteConfig, Fault::LowerCase, Outcome::TransferError},
    {Operation::WriteConfig, Fault::WrongCommand, Outcome::WriteError},
    {Operation::WriteConfig, Fault::Noise, Outcome::Works},
    {Operation::WriteConfig, Fault::HangUp, Outcome::PortUnavailable},
    {Operation::WriteConfig, Fault::MissingPort, Outcome::PortUnavailable},
    {Operation::WriteConfig, Fault::SilenceOnce, Outcome::Works},
    {Operation::WriteConfig, Fault::BusyOnce, Outcome::Works},
    {Operation::WriteConfig, Fault::WrongCommandOnce, Outcome::Works},
    {Operation::WriteConfig, Fault::BadChecksumOnce, Outcome::Works},
    {Operation::WriteConfig, Fault::BadChecksumSix, Outcome::Works},
    {Operation::WriteConfig, Fault::BadChecksumSeven, Outcome::TransferError},
    {Operation::WriteConfig, Fault::LateOnce, Outcome::Works},
    // Reading the clock.
    {Operation::ReadClock, Fault::Silence, Outcome::NoAnswer},
    {Operation::ReadClock, Fault::Busy, Outcome::ReadError},
    {Operation::ReadClock, Fault::MemoryFault, Outcome::MemoryFault},
    {Operation::ReadClock, Fault::ClockFault, Outcome::ClockFault},
    {Operation::ReadClock, Fault::BadChecksum, Outcome::TransferError},
    {Operation::ReadClock, Fault::LowerCase, Outcome::TransferError},
    {Operation::ReadClock, Fault::WrongCommand, Outcome::ReadError},
    {Operation::ReadClock, Fault::Noise, Outcome::Works},
    {Operation::ReadClock, Fault::HangUp, Outcome::PortUnavailable},
    {Operation::ReadClock, Fault::MissingPort, Outcome::PortUnavailable},
    {Operation::ReadClock, Fault::SilenceOnce, Outcome::Works},
    {Operation::ReadClock, Fault::BusyOnce, Outcome::Works},
    {Operation::ReadClock, Fault::WrongCommandOnce, Outcome::Works},
    {Operation::ReadClock, Fault::BadChecksumOnce, Outcome::Works},
    {Operation::ReadClock, Fault::BadChecksumSix, Outcome::Works},
    {Operation::ReadClock, Fault::BadChecksumSeven, Outcome::TransferError},
    {Operation::ReadClock, Fault::LateOnce, Outcome::Works},
    // Setting the clock. Its answer :1263; has no letters: lower case is the
    // same answer, and it works.
    {Operation::WriteClock, Fault::Silence, Outcome::NoAnswer},
    {Operation::WriteClock, Fault::Busy, Outcome::WriteError},
    {Operation::WriteClock, Fault::MemoryFault, Outcome::MemoryFault},
    {Operation::WriteClock, Fault::ClockFault, Outcome::ClockFault},
    {Operation::WriteClock, Fault::BadChecksum, Outcome::TransferError},
    {Operation::WriteClock, Fault::LowerCase, Outcome::Works},
    {Operation::WriteClock, Fault::WrongCommand, Outcome::WriteError},
    {Operation::WriteClock, Fault::Noise, Outcome::Works},
    {Operation::WriteClock, Fault::HangUp, Outcome::PortUnavailable},
    {Operation::WriteClock, Fault::MissingPort, Outcome::PortUnavailable},
    {Operation::WriteClock, Fault::SilenceOnce, Outcome::Works},
    {Operation::WriteClock, Fault::BusyOnce, Outcome::Works},
    {Operation::WriteClock, Fault::WrongCommandOnce, Outcome::Works},
    {Operation::WriteClock, Fault::BadChecksumOnce, Outcome::Works},
    {Operation::WriteClock, Fault::BadChecksumSix, Outcome::Works},
    {Operation::WriteClock, Fault::BadChecksumSeven, Outcome::TransferError},
    {Operation::WriteClock, Fault::LateOnce, Outcome::Works},
    // Reading the low-priority log (the fault from its first piece of memory
    // on, after the status): a failure leaves the table empty.
    {Operation::ReadLog, Fault::Silence, Outcome::NoAnswer},
    {Operation::ReadLog, Fault::Busy, Outcome::ReadError},
    {Operation::ReadLog, Fault::MemoryFault, Outcome::MemoryFault},
    {Operation::ReadLog, Fault::ClockFault, Outcome::ClockFault},
    {Operation::ReadLog, Fault::BadChecksum, Outcome::TransferError},
    {Operation::ReadLog, Fault::LowerCase, Outcome::TransferError},
    {Operation::ReadLog, Fault::WrongCommand, Outcome::ReadError},
    {Operation::ReadLog, Fault::Noise, Outcome::Works},
    {Operation::ReadLog, Fault::HangUp, Outcome::PortUnavailable},
    {Operation::ReadLog, Fault::MissingPort, Outcome::PortUnavailable},
    {Operation::ReadLog, Fault::SilenceOnce, Outcome::Works},
    {Operation::ReadLog, Fault::BusyOnce, Outcome::Works},
    {Operation::ReadLog, Fault::WrongCommandOnce, Outcome::Works},
    {Operation::ReadLog, Fault::BadChecksumOnce, Outcome::Works},
    {Operation::ReadLog, Fault::BadChecksumSix, Outcome::Works},
    {Operation::ReadLog, Fault::BadChecksumSeven, Outcome::TransferError},
    {Operation::ReadLog, Fault::LateOnce, Outcome::Works},
    // Erasing the logs (Alt+F12, answered Yes): any valid answer but a busy
    // one counts, whatever its command.
    {Operation::ClearLogs, Fault::Silence, Outcome::NoAnswer},
    {Operation::ClearLogs, Fault::Busy, Outcome::LogsNotErased},
    {Operation::ClearLogs, Fault::MemoryFault, Outcome::MemoryFault},
    {Operation::ClearLogs, Fault::ClockFault, Outcome::ClockFault},
    {Operation::ClearLogs, Fault::BadChecksum, Outcome::TransferError},
    {Operation::ClearLogs, Fault::LowerCase, Outcome::TransferError},
    {Operation::ClearLogs, Fault::WrongCommand, Outcome::Works},
    {Operation::ClearLogs, Fault::Noise, Outcome::Works},
    {Operation::ClearLogs, Fault::HangUp, Outcome::PortUnavailable},
    {Operation::ClearLogs, Fault::MissingPort, Outcome::PortUnavailable},
    {Operation::ClearLogs, Fault::SilenceOnce, Outcome::Works},
    {Operation::ClearLogs, Fault::BusyOnce, Outcome::Works},
    {Operation::ClearLogs, Fault::WrongCommandOnce, Outcome::Works},
    {Operation::ClearLogs, Fault::BadChecksumOnce, Outcome::Works},
    {Operation::ClearLogs, Fault::BadChecksumSix, Outcome::Works},
    {Operation::ClearLogs, Fault::BadChecksumSeven, Outcome::TransferError},
    {Operation::ClearLogs, Fault::LateOnce, Outcome::Works},
    // Diagnostics: seven answers to another command (busy ones included) close
    // the window without a message.
    {Operation::Diagnostics, Fault::Silence, Outcome::NoAnswer},
    {Operation::Diagnostics, Fault::Busy, Outcome::SilentFailure},
    {Operation::Diagnostics, Fault::MemoryFault, Outcome::MemoryFault},
    {Operation::Diagnostics, Fault::ClockFault, Outcome::ClockFault},
    {Operation::Diagnostics, Fault::BadChecksum, Outcome::TransferError},
    {Operation::Diagnostics, Fault::LowerCase, Outcome::TransferError},
    {Operation::Diagnostics, Fault::WrongCommand, Outcome::SilentFailure},
    {Operation::Diagnostics, Fault::Noise, Outcome::Works},
    {Operation::Diagnostics, Fault::HangUp, Outcome::PortUnavailable},
    {Operation::Diagnostics, Fault::MissingPort, Outcome::PortUnavailable},
    {Operation::Diagnostics, Fault::SilenceOnce, Outcome::Works},
    {Operation::Diagnostics, Fault::BusyOnce, Outcome::Works},
    {Operation::Diagnostics, Fault::WrongCommandOnce, Outcome::Works},
    {Operation::Diagnostics, Fault::BadChecksumOnce, Outcome::Works},
    {Operation::Diagnostics, Fault::BadChecksumSix, Outcome::Works},
    {Operation::Diagnostics, Fault::BadChecksumSeven, Outcome::TransferError},
    {Operation::Diagnostics, Fault::LateOnce, Outcome::Works},
};

INSTANTIATE_TEST_SUITE_P(Cells, FaultMatrix, testing::ValuesIn(kCells),
                         [](const testing::TestParamInfo<Cell> &test) {
                             return std::string(name(test.param.operation)) + "_" +
                                    name(test.param.fault);
                         });

} // namespace
