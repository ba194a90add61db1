// Reading and writing the whole configuration, and the configuration file,
// from the main window against sr5n-sim.
#include "app/Configurator.h"
#include "common/FakeNotifier.h"
#include "common/FifoTrap.h"
#include "common/PortMessages.h"
#include "common/SimProcess.h"
#include "common/TextRecord.h"
#include "common/TextRecords.h"
#include "common/WindowCommands.h"
#include "common/WindowParts.h"
#include "config/BlockContext.h"
#include "config/ConfigModel.h"
#include "config/ConfigValues.h"
#include "config/ConfigurationFile.h"
#include "config/FakeProtocolCatalog.h"
#include "config/RequestLists.h"
#include "events/EventCodeTables.h"
#include "link/TConnection.h"
#include "ui/TfrmMain.h"
#include "ui/TfrmProgress.h"
#include "ui/TransferRig.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace sr5n;
using test::kOtherRecord;
using test::kStarterRecord;
using test::Rig;
using test::writeListOf;

namespace {

// The values of the protocol editor travel in the protocol record, not in
// the configuration blocks.
bool isProtocolEditorValue(const ValueDescription &d)
{
    static const QStringList editor{"Handshake",     "ImpulseParams", "DataFreq",
                                    "KissOff",       "Protocol_Test", "Handshake1400",
                                    "Handshake2300", "Kissoff",       "Prefix"};
    static const QRegularExpression digitFlag(QStringLiteral("^(Object|Event|Group|Zone)\\d$"));
    return d.kind == ValueKind::Mask || editor.contains(d.rest) ||
           digitFlag.match(d.rest).hasMatch();
}

// Gives every value of the four configuration pages a value other than its
// default (every flag on, so that every value travels), and every code of the
// event tables a code of its own.
void editEveryValue(ConfigModel &config, EventCodeTables &tables)
{
    for (const QString &name : config.names()) {
        const ValueDescription &d = *config.description(name);
        if (isProtocolEditorValue(d))
            continue;
        switch (d.kind) {
        case ValueKind::Flag:
            config.setFlag(name, true);
            break;
        case ValueKind::Slider:
            config.setSlider(name, d.defaultNumber == config.minimum(name) + 1
                                       ? config.minimum(name) + 2
                                       : config.minimum(name) + 1);
            break;
        case ValueKind::Code:
            config.setText(name, QStringLiteral("1A2B3C").left(d.maximum));
            break;
        case ValueKind::Phone:
            config.setText(name, QStringLiteral("8%1%2D0").arg(name.size()).arg(qHash(name) % 97));
            break;
        case ValueKind::Time:
            config.setTime(name, QTime(7, 45));
            break;
        case ValueKind::Choice:
            config.setChoice(name, int(config.choiceItems(name).size()) - 1);
            break;
        case ValueKind::Mask:
            break;
        }
    }
    for (int pair = 1; pair <= 2; ++pair) {
        for (int r = 1; r <= tables.rowCount(EventCodeTables::Table::Separate); ++r)
            tables.setSeparateCode(
                r, pair,
                QStringLiteral("%1%2").arg(pair).arg(r, 3, 16, QLatin1Char('0')).toUpper());
        for (int r = 1; r <= EventCodeTables::ExternalEventCount; ++r) {
            QStringList zones;
            for (int z = 0; z < EventCodeTables::ZoneCount; ++z)
                zones.append(QStringLiteral("%1")
                                 .arg((pair << 14) | (r << 7) | z, 4, 16, QLatin1Char('0'))
                                 .toUpper());
            tables.setZoneCodes(r, pair, zones);
        }
    }
    tables.setCommonCode(1, QStringLiteral("9F9F"));
    for (int r : {3, 17, 42, 60})
        tables.setMark(r, EventCodeTables::Mark::HighPriority, true);
    for (int r : {1, 2, 30, 59})
        tables.setMark(r, EventCodeTables::Mark::Mandatory, true);
}

// Every value of the pages and every code and mark of the tables are equal.
void expectSameConfiguration(Configurator &aApp, Configurator &bApp)
{
    ConfigModel &x = aApp.config();
    ConfigModel &y = bApp.config();
    for (const QString &name : x.names()) {
        const ValueDescription &d = *x.description(name);
        if (isProtocolEditorValue(d))
            continue;
        switch (d.kind) {
        case ValueKind::Flag:
            EXPECT_EQ(x.flag(name), y.flag(name)) << qPrintable(name);
            break;
        case ValueKind::Slider:
            EXPECT_EQ(x.slider(name), y.slider(name)) << qPrintable(name);
            break;
        case ValueKind::Code:
        case ValueKind::Phone:
            EXPECT_EQ(x.text(name), y.text(name)) << qPrintable(name);
            break;
        case ValueKind::Time:
            EXPECT_EQ(x.time(name), y.time(name)) << qPrintable(name);
            break;
        case ValueKind::Choice:
            EXPECT_EQ(x.choice(name), y.choice(name)) << qPrintable(name);
            break;
        case ValueKind::Mask:
            break;
        }
    }
    using Table = EventCodeTables::Table;
    EventCodeTables &s = aApp.eventTables();
    EventCodeTables &t = bApp.eventTables();
    for (int pair = 1; pair <= 2; ++pair) {
        for (int r = 1; r <= s.rowCount(Table::Separate); ++r)
            EXPECT_EQ(s.separateCode(r, pair), t.separateCode(r, pair)) << r;
        for (int r = 1; r <= s.rowCount(Table::External); ++r)
            EXPECT_EQ(s.zoneCodes(r, pair), t.zoneCodes(r, pair)) << r;
    }
    EXPECT_EQ(s.commonCode(1), t.commonCode(1));
    for (const auto mark : {EventCodeTables::Mark::HighPriority, EventCodeTables::Mark::Mandatory})
        EXPECT_EQ(s.markedRows(mark), t.markedRows(mark));
}

// Changes every kind of value the blocks carry.
void editConfiguration(ConfigModel &config, EventCodeTables &tables)
{
    config.setText(QStringLiteral("edt1P1N"), QStringLiteral("8123A4567"));
    config.setFlag(QStringLiteral("chb1P1N"), true);
    config.setText(QStringLiteral("edt1P1NObjectCode"), QStringLiteral("12AB"));
    config.setChoice(QStringLiteral("cbx1PProtocol"), 1);
    config.setSlider(QStringLiteral("trb1PCallsTrialCount"), 7);
    config.setSlider(QStringLiteral("trbPassiveDays"), 3);
    config.setFlag(QStringLiteral("chbLineCheck"), true);
    config.setTime(QStringLiteral("dtpLineTestPeriod"), QTime(6, 30));
    tables.setSeparateCode(3, 2, QStringLiteral("ABCD"));
    tables.setZoneCode(60, 2, 69, QStringLiteral("1234"));
    tables.setMark(5, EventCodeTables::Mark::Mandatory, true);
}

// A state file for sr5n-sim: a device that holds the configuration of `rig`.
bool writeDeviceState(Rig &rig, const QString &path)
{
    QStringList data, commands;
    if (!BuildWriteRequests(
            BlockContext{rig.config(), rig.app.eventTables(), rig.catalog, rig.notifier}, data,
            commands))
        return false;
    QJsonObject blocks, memory;
    for (qsizetype i = 0; i < commands.size(); ++i) {
        if (commands[i] == QLatin1String("00"))
            memory.insert(data[i].left(4), data[i].mid(4));
        else
            blocks.insert(commands[i], data[i]);
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(QJsonDocument(QJsonObject{{QStringLiteral("blocks"), blocks},
                                                {QStringLiteral("memory"), memory}})
                          .toJson()) > 0;
}

} // namespace

TEST(ConfigurationTransfer, WriteThenReadBringsTheSameConfigurationBack)
{
    Rig writer;
    ASSERT_TRUE(writer.sim->started());
    editConfiguration(writer.config(), writer.app.eventTables());
    test::trigger(writer.window, "actWrite");
    EXPECT_EQ(writer.notifier.errors, QStringList());
    EXPECT_EQ(writer.notifier.informations, QStringList({"Конфигурация записана успешно"}));
    EXPECT_FALSE(writer.app.connection().Opened());
    EXPECT_EQ(writer.progress.Tag, 0);

    // A second window reads the device the first one wrote.
    test::FakeNotifier readerNotifier;
    Configurator readerApp{QCoreApplication::applicationDirPath(), test::ShortLinkTimings()};
    TfrmMain reader{readerApp};
    TfrmProgress readerProgress(&reader);
    test::FakeProtocolCatalog readerCatalog(readerApp.config());
    readerCatalog.add(QStringLiteral("Contact ID"), kStarterRecord);
    readerCatalog.add(QStringLiteral("4+2"), kOtherRecord);
    readerApp.config().setChoice(QStringLiteral("cbx2PProtocol"), 0);
    readerApp.setNotifier(readerNotifier);
    reader.setProgressWindow(&readerProgress);
    readerApp.setProtocolCatalog(&readerCatalog);
    test::part<QComboBox>(reader, "cbxComPort")->setEditText(writer.sim->path());
    test::trigger(reader, "actRead");
    EXPECT_EQ(readerNotifier.errors, QStringList());
    EXPECT_EQ(readerNotifier.informations, QStringList({"Конфигурация прочитана успешно"}));
    EXPECT_EQ(readerProgress.prbProgress->value(), 858);

    const ConfigModel &read = readerApp.config();
    EXPECT_EQ(read.text(QStringLiteral("edt1P1N")), QStringLiteral("8123A4567"));
    EXPECT_TRUE(read.flag(QStringLiteral("chb1P1N")));
    EXPECT_EQ(read.text(QStringLiteral("edt1P1NObjectCode")), QStringLiteral("12AB"));
    EXPECT_EQ(read.choice(QStringLiteral("cbx1PProtocol")), 1);
    EXPECT_EQ(read.slider(QStringLiteral("trb1PCallsTrialCount")), 7);
    EXPECT_EQ(read.slider(QStringLiteral("trbPassiveDays")), 3);
    EXPECT_EQ(read.time(QStringLiteral("dtpLineTestPeriod")), QTime(6, 30));
    EXPECT_EQ(readerApp.eventTables().separateCode(3, 2), QStringLiteral("ABCD"));
    EXPECT_EQ(readerApp.eventTables().zoneCode(60, 2, 69), QStringLiteral("1234"));
    EXPECT_TRUE(readerApp.eventTables().mark(5, EventCodeTables::Mark::Mandatory));
}

TEST(ConfigurationTransfer, EveryValueWrittenIsReadBackIntoAFreshWindow)
{
    Rig writer;
    ASSERT_TRUE(writer.sim->started());
    editEveryValue(writer.config(), writer.app.eventTables());
    test::trigger(writer.window, "actWrite");
    ASSERT_EQ(writer.notifier.errors, QStringList());

    Rig reader;
    test::part<QComboBox>(reader.window, "cbxComPort")->setEditText(writer.sim->path());
    test::trigger(reader.window, "actRead");
    ASSERT_EQ(reader.notifier.errors, QStringList());
    EXPECT_EQ(reader.notifier.informations, QStringList({"Конфигурация прочитана успешно"}));
    expectSameConfiguration(writer.app, reader.app);
}

TEST(ConfigurationTransfer, CancelDuringAWriteStopsSendingSilently)
{
    Rig rig({QStringLiteral("--delay"), QStringLiteral("5")});
    ASSERT_TRUE(rig.sim->started());
    QTimer::singleShot(150, &rig.progress, [&] { rig.progress.btnCancelClick(); });
    test::trigger(rig.window, "actWrite");
    EXPECT_TRUE(rig.notifier.errors.isEmpty());
    EXPECT_TRUE(rig.notifier.informations.isEmpty());
    EXPECT_FALSE(rig.app.connection().Opened());
    const QStringList requests = rig.sim->finish();
    EXPECT_GT(requests.size(), 0);
    EXPECT_LT(requests.size(), 858);
}

TEST(ConfigurationTransfer, FailedReadsLeaveTheConfigurationAsItWas)
{
    const struct {
        const char *name;
        QStringList simArguments;
        QString error; // empty: no message
    } cases[] = {
        {"silent from request 40 on", {"--silent", "40-"}, "Коммуникатор не отвечает"},
        {"memory fault at request 3", {"--memory-fault", "3"}, "Неисправность памяти"},
        {"line hangs up at request 100", {"--hang-up", "99"}, "Порт"},
        {"number block cannot be decoded",
         {"--answer-data", "03="},
         "Ошибка декодирования параметров первого телефоного номера для первой пары. Операция "
         "будет прервана"},
    };
    for (const auto &c : cases) {
        Rig rig(c.simArguments);
        ASSERT_TRUE(rig.sim->started());
        rig.config().setText(QStringLiteral("edt2P2N"), QStringLiteral("777"));
        const QString before = rig.config().text(QStringLiteral("edt2P2N"));
        test::trigger(rig.window, "actRead");
        ASSERT_EQ(rig.notifier.errors.size(), 1)
            << c.name << ", told: " << testing::PrintToString(rig.notifier.informations);
        EXPECT_TRUE(rig.notifier.errors[0].startsWith(c.error))
            << c.name << qPrintable(rig.notifier.errors[0]);
        EXPECT_TRUE(rig.notifier.informations.isEmpty()) << c.name;
        EXPECT_EQ(rig.config().text(QStringLiteral("edt2P2N")), before) << c.name;
        EXPECT_FALSE(rig.app.connection().Opened()) << c.name;
        EXPECT_TRUE(rig.window.isEnabled()) << c.name;
    }
}

TEST(ConfigurationTransfer, CancelStopsSilentlyAndChangesNothing)
{
    Rig rig({QStringLiteral("--delay"), QStringLiteral("5")});
    ASSERT_TRUE(rig.sim->started());
    rig.config().setSlider(QStringLiteral("trbPauseLength"), 9);
    QTimer::singleShot(150, &rig.progress, [&] { rig.progress.btnCancelClick(); });
    test::trigger(rig.window, "actRead");
    EXPECT_TRUE(rig.notifier.errors.isEmpty());
    EXPECT_TRUE(rig.notifier.informations.isEmpty());
    EXPECT_EQ(rig.config().slider(QStringLiteral("trbPauseLength")), 9);
    EXPECT_FALSE(rig.app.connection().Opened());
    EXPECT_TRUE(rig.window.isEnabled());
    const QStringList requests = rig.sim->finish();
    EXPECT_GT(requests.size(), 0);
    EXPECT_LT(requests.size(), 858);
}

TEST(ConfigurationTransfer, MissingPortIsReportedAndNothingIsSent)
{
    Rig rig;
    test::part<QComboBox>(rig.window, "cbxComPort")
        ->setEditText(QStringLiteral("/dev/sr5n-missing"));
    test::trigger(rig.window, "actWrite");
    EXPECT_EQ(rig.notifier.errors, QStringList({test::NoSuchPortMessage("/dev/sr5n-missing")}));
    EXPECT_EQ(rig.progress.Tag, 0);
    EXPECT_TRUE(rig.window.isEnabled());
}

TEST(ConfigurationFileCommands, SaveThenOpenRestoresTheConfiguration)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Конфигурация.snc"));
    Rig first;
    editConfiguration(first.config(), first.app.eventTables());
    first.config().setText(QStringLiteral("edt2P1N"), QString());
    first.config().setFlag(QStringLiteral("chb2P1N"), true);
    ASSERT_TRUE(first.window.saveConfiguration(path));
    EXPECT_FALSE(first.config().flag(QStringLiteral("chb2P1N"))); // an empty number is switched off

    Rig second;
    ASSERT_TRUE(second.window.openConfiguration(path));
    EXPECT_TRUE(second.notifier.errors.isEmpty()) << qPrintable(second.notifier.errors.join('|'));
    EXPECT_EQ(second.config().text(QStringLiteral("edt1P1N")), QStringLiteral("8123A4567"));
    EXPECT_EQ(second.config().choice(QStringLiteral("cbx1PProtocol")), 1);
    EXPECT_EQ(second.app.eventTables().zoneCode(60, 2, 69), QStringLiteral("1234"));
}

TEST(ConfigurationFileCommands, EveryValueSavedIsOpenedIntoAFreshWindow)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("all.snc"));
    Rig first;
    editEveryValue(first.config(), first.app.eventTables());
    ASSERT_TRUE(first.window.saveConfiguration(path));
    Rig second;
    ASSERT_TRUE(second.window.openConfiguration(path));
    EXPECT_EQ(second.notifier.errors, QStringList());
    expectSameConfiguration(first.app, second.app);
}

// A file that is well formed but holds less than a whole configuration is
// refused as a whole with the window's usual message: nothing of it reaches
// the window, and «Записать» afterwards writes the window's own
// configuration, none of the file's.
TEST(ConfigurationFileCommands, FileWithoutTheWholeListIsRefusedAndNeverWritten)
{
    QTemporaryDir dir;
    Rig first;
    first.config().setSlider(QStringLiteral("trbPauseLength"), 11);
    QStringList data, commands;
    ASSERT_TRUE(BuildWriteRequests(
        BlockContext{first.config(), first.app.eventTables(), first.catalog, first.notifier}, data,
        commands));
    QStringList zz = data;
    zz[4].replace(20, 2, QStringLiteral("ZZ"));
    QStringList unknownLast = commands;
    unknownLast.last() = QStringLiteral("0C");
    const struct {
        const char *what;
        QStringList data;
        QStringList commands;
        const char *fault;
    } cases[] = {
        {"the sixteen blocks only", data.mid(0, 16), commands.mid(0, 16), "записей 16 вместо 858"},
        {"857 entries", data.mid(0, 857), commands.mid(0, 857), "записей 857 вместо 858"},
        {"ZZ in a number block", zz, commands,
         "запись 5 из 858 (команда 02): знак 21 данных \"Z\" не шестнадцатеричная цифра"},
        {"an unknown command in the last entry", data, unknownLast,
         "запись 858 из 858 (команда 0C): ожидалась команда 00"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = dir.filePath(QStringLiteral("part.snc"));
        ASSERT_TRUE(WriteConfigurationFile(path, c.data, c.commands));
        // Refused by the check of the whole list, for this reason.
        QStringList readData, readCommands;
        QString fault;
        EXPECT_FALSE(ReadConfigurationFile(path, readData, readCommands, &fault));
        EXPECT_EQ(fault, QString::fromUtf8(c.fault));

        Rig second;
        ASSERT_TRUE(second.sim->started());
        second.app.eventTables().setZoneCode(7, 1, 3, QStringLiteral("ABCD"));
        const QStringList before = writeListOf(second);
        const int pause = second.config().slider(QStringLiteral("trbPauseLength"));
        ASSERT_NE(pause, 11);
        EXPECT_FALSE(second.window.openConfiguration(path));
        EXPECT_EQ(
            second.notifier.errors,
            QStringList{QStringLiteral("Невозможно прочитать файл. Возможно, файл поврежден")});
        EXPECT_EQ(writeListOf(second), before);
        EXPECT_EQ(second.app.eventTables().zoneCode(7, 1, 3), QStringLiteral("ABCD"));

        // The device then holds the window's configuration, not the file's.
        test::trigger(second.window, "actWrite");
        second.config().setSlider(QStringLiteral("trbPauseLength"), 11);
        test::trigger(second.window, "actRead");
        EXPECT_EQ(second.config().slider(QStringLiteral("trbPauseLength")), pause);
        EXPECT_EQ(second.app.eventTables().zoneCode(7, 1, 3), QStringLiteral("ABCD"));
    }
}

TEST(ConfigurationFileCommands, UnreadableFilesChangeNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("c.snc"));
    Rig rig;
    ASSERT_TRUE(rig.window.saveConfiguration(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek(file.size() - 10);
    file.write("Z");
    file.close();
    rig.config().setSlider(QStringLiteral("trbPauseLength"), 9);
    // Each failure carries the message the user was shown.
    for (const QString &unreadable : {path, dir.filePath(QStringLiteral("missing.snc"))}) {
        const Expected<void> opened = rig.window.openConfiguration(unreadable);
        EXPECT_FALSE(opened) << unreadable.toStdString();
        EXPECT_EQ(opened.reason(),
                  QStringLiteral("Невозможно прочитать файл. Возможно, файл поврежден"));
    }
    EXPECT_EQ(
        rig.notifier.errors,
        QStringList(2, QStringLiteral("Невозможно прочитать файл. Возможно, файл поврежден")));
    EXPECT_EQ(rig.notifier.flashes, 2);
    EXPECT_EQ(rig.config().slider(QStringLiteral("trbPauseLength")), 9);
    const Expected<void> saved =
        rig.window.saveConfiguration(dir.filePath(QStringLiteral("no/such/folder/c.snc")));
    EXPECT_FALSE(saved);
    EXPECT_EQ(saved.reason(), QStringLiteral("Невозможно сохранить файл"));
    EXPECT_EQ(rig.notifier.errors.last(), QStringLiteral("Невозможно сохранить файл"));
}

TEST(ConfigurationFileCommands, UnregisteredProtocolIsDeclinedAndNothingChanges)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("c.snc"));
    Rig source;
    source.config().setChoice(QStringLiteral("cbx1PProtocol"), 1);
    source.config().setSlider(QStringLiteral("trbPauseLength"), 12);
    ASSERT_TRUE(source.window.saveConfiguration(path));

    Rig target; // its library lacks the second protocol and the user declines
    target.catalog.names.removeLast();
    target.catalog.records.removeLast();
    const Expected<void> opened = target.window.openConfiguration(path);
    EXPECT_FALSE(opened);
    EXPECT_EQ(opened.reason(),
              QStringLiteral("Невозможно добавить протокол. Операция будет прервана"));
    EXPECT_EQ(target.notifier.errors,
              QStringList({"Невозможно добавить протокол. Операция будет прервана"}));
    EXPECT_EQ(target.config().slider(QStringLiteral("trbPauseLength")), 3);
}

TEST(ConfigurationTransfer, LateAnswersNeverLeaveStaleCodes)
{
    // Every chunk of event codes differs from the next, so that an answer
    // taken for the wrong request would show.
    Rig device;
    editEveryValue(device.config(), device.app.eventTables());
    QTemporaryDir dir;
    const QString state = dir.filePath(QStringLiteral("device.json"));
    ASSERT_TRUE(writeDeviceState(device, state));

    // Late: a block read, chunks of event codes (two in a row), one near the end.
    Rig reader({QStringLiteral("--state"), state, QStringLiteral("--late"),
                QStringLiteral("3,40,300,301,850")});
    ASSERT_TRUE(reader.sim->started());
    test::trigger(reader.window, "actRead");
    EXPECT_EQ(reader.notifier.errors, QStringList());
    EXPECT_EQ(reader.notifier.informations, QStringList({"Конфигурация прочитана успешно"}));
    expectSameConfiguration(device.app, reader.app);
}

// A read whose answers fail to decode at some block leaves the window's
// whole configuration as it was, even when earlier blocks decoded (the
// high-priority block is the last one, after its marks were cleared).
TEST(ConfigurationTransfer, ReadThatFailsToDecodeChangesNothing)
{
    const struct {
        const char *answer;
        QString message;
    } cases[] = {
        {"1F=", QStringLiteral("Ошибка декодирования протокола передачи данных для первой пары")},
        {"2A=0", QStringLiteral("Ошибка декодирования параметров автоматического сброса")},
        {"0E=0A1", QStringLiteral("Ошибка декодирования внешних событий с высоким приоритетом")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.answer);
        Rig rig({QStringLiteral("--answer-data"), QLatin1String(c.answer)});
        ASSERT_TRUE(rig.sim->started());
        editEveryValue(rig.config(), rig.app.eventTables());
        const QStringList before = writeListOf(rig);
        test::trigger(rig.window, "actRead");
        EXPECT_EQ(rig.notifier.errors,
                  QStringList{c.message + QStringLiteral(". Операция будет прервана")});
        EXPECT_TRUE(rig.notifier.informations.isEmpty());
        EXPECT_EQ(writeListOf(rig), before);
        EXPECT_EQ(rig.app.eventTables().markedRows(EventCodeTables::Mark::HighPriority),
                  QList<int>({3, 17, 42, 60}));
    }
}

// A file that fails to decode at any entry leaves the window's whole
// configuration as it was, however many entries decoded before it.
TEST(ConfigurationFileCommands, FileWithAMalformedEntryChangesNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("c.snc"));
    Rig source;
    editConfiguration(source.config(), source.app.eventTables());
    ASSERT_TRUE(source.window.saveConfiguration(path));
    QStringList data, commands;
    ASSERT_TRUE(ReadConfigurationFile(path, data, commands));

    Rig target;
    editEveryValue(target.config(), target.app.eventTables());
    const QStringList before = writeListOf(target);
    // Each is refused by the check of the whole list, before any decoding.
    const struct {
        int entry;
        QString data;
        const char *fault;
    } cases[] = {
        {0, QString(kStarterRecord).replace(10, 1, QLatin1Char(' ')),
         "запись 1 из 858 (команда 1E): знак 11 данных \" \" не шестнадцатеричная цифра"},
        {15, QStringLiteral("0A1"),
         "запись 16 из 858 (команда 0D): знаков данных 3, а нужно не меньше 8"},
        {600, QStringLiteral("ZZZZ") + QString(40, QLatin1Char('0')),
         "запись 601 из 858 (команда 00): знак 1 данных \"Z\" не шестнадцатеричная цифра"},
        {857, QStringLiteral("7CC0000G") + QString(36, QLatin1Char('0')),
         "запись 858 из 858 (команда 00): знак 8 данных \"G\" не шестнадцатеричная цифра"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.entry);
        QStringList bad = data;
        bad[c.entry] = c.data;
        ASSERT_TRUE(WriteConfigurationFile(path, bad, commands));
        QStringList readData, readCommands;
        QString fault;
        EXPECT_FALSE(ReadConfigurationFile(path, readData, readCommands, &fault));
        EXPECT_EQ(fault, QString::fromUtf8(c.fault));
        target.notifier.clear();
        EXPECT_FALSE(target.window.openConfiguration(path));
        EXPECT_EQ(
            target.notifier.errors,
            QStringList{QStringLiteral("Невозможно прочитать файл. Возможно, файл поврежден")});
        EXPECT_EQ(writeListOf(target), before);
    }
}

// Only regular files are opened: a named pipe, a folder or a device file is
// refused at once with the file's message, and so is a file announcing more
// entries than a configuration has.
TEST(ConfigurationFileCommands, RefusesWhatIsNoConfigurationFileAtOnce)
{
    QTemporaryDir dir;
    test::FifoTrap fifo(dir.filePath(QStringLiteral("pipe.snc")));
    ASSERT_TRUE(fifo.created());
    const QString huge = dir.filePath(QStringLiteral("huge.snc"));
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (const QString &text : {QStringLiteral("SR-5/N Configuration File"),
                                    QStringLiteral("1"), QStringLiteral("2000000")})
            ASSERT_TRUE(WriteTextRecord(text, file));
        const QByteArray entry = test::TextRecords({"0C", ""});
        ASSERT_EQ(file.write(entry.repeated(2000000)), entry.size() * 2000000);
    }
    Rig rig;
    editConfiguration(rig.config(), rig.app.eventTables());
    const QStringList before = writeListOf(rig);
    for (const QString &path : {fifo.path(), dir.path(), QStringLiteral("/dev/zero"), huge}) {
        SCOPED_TRACE(qPrintable(path));
        rig.notifier.clear();
        EXPECT_FALSE(rig.window.openConfiguration(path));
        EXPECT_EQ(rig.notifier.errors, QStringList{QStringLiteral(
                                           "Невозможно прочитать файл. Возможно, файл поврежден")});
    }
    EXPECT_FALSE(fifo.readerWaited());
    EXPECT_EQ(writeListOf(rig), before);
}
