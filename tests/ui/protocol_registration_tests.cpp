// Protocols that reach the library from a device, a configuration file, the
// editor and protocol files, driven through the program's own windows as
// start-up makes them, with the keys a user presses: Enter on every dialog
// must never lose a protocol, and a file or a library that cannot be used
// leaves everything as it was.
#include "KeyboardUser.h"
#include "app/Configurator.h"
#include "common/FakeNotifier.h"
#include "common/FifoTrap.h"
#include "common/ProgramWindows.h"
#include "common/SimProcess.h"
#include "common/WindowParts.h"
#include "config/BlockContext.h"
#include "config/ConfigModel.h"
#include "config/ConfigurationFile.h"
#include "config/FakeProtocolCatalog.h"
#include "config/RequestLists.h"
#include "events/EventCodeTables.h"
#include "protocols/ProtocolFixtures.h"
#include "protocols/ProtocolLibrary.h"
#include "protocols/SafeFileName.h"
#include "ui/PageControl.h"
#include "ui/Startup.h"
#include "ui/TfrmMain.h"
#include "ui/TfrmProgress.h"
#include "ui/protocols/TfrmSaveNewProtocol.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace sr5n;
using Step = test::KeyboardUser::Step;
using test::kAddProtocolCaption;
using test::kAppTitle;
using test::kRecordA;
using test::kRecordB;
using test::kSaveProtocolCaption;

namespace {

const QString kSaveInProgram = QStringLiteral("Сохранение протокола в программе");
const QString kOpenProtocolFile = QStringLiteral("Добавление протокола");
const QString kOpenConfiguration = QStringLiteral("Открытие файла конфигурации");
const QString kSaveConfiguration = QStringLiteral("Сохранение файла конфигурации");
const QString kAbort = QStringLiteral(". Операция будет прервана.");

QString replaceQuestion(const QString &name)
{
    return QStringLiteral("Протокол с названием \"%1\" уже зарегистрирован в программе. Заменить?")
        .arg(name);
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The program's windows from start-up, with sr5n-sim holding `deviceState`.
struct Program : test::ProgramWindows {
    // `beforeStart` runs on the data folder before the windows are made.
    explicit Program(const QJsonObject &deviceState = {}, const QStringList &simArguments = {},
                     const std::function<void(const QString &)> &beforeStart = {})
        : ProgramWindows(simArguments, deviceState, beforeStart)
    {
    }

    QString libraryPath() const { return path(QStringLiteral("prtcls.bin")); }
    void click(const char *button)
    {
        QTest::mouseClick(test::part<QPushButton>(main(), button), Qt::LeftButton);
    }
    void showProtocolPage()
    {
        test::part<PageControl>(main(), "pgcPages")
            ->setCurrentPage(test::part<QWidget>(main(), "tshProtocol"));
    }

    // The record each pair's chooser selects in the library.
    QStringList pairRecords()
    {
        return {app->protocols().recordAt(app->config().choice(QStringLiteral("cbx1PProtocol"))),
                app->protocols().recordAt(app->config().choice(QStringLiteral("cbx2PProtocol")))};
    }
    // The window's whole configuration as its write request list.
    QStringList writeList()
    {
        QStringList data, commands;
        EXPECT_TRUE(BuildWriteRequests(app->blockContext(), data, commands));
        return commands + data;
    }
    // A configuration file made elsewhere, whose pairs use protocols A and B.
    QString configurationWithUnknownProtocols(const QString &name)
    {
        ConfigModel model;
        EventCodeTables tables;
        test::FakeProtocolCatalog catalog(model);
        test::FakeNotifier quiet;
        catalog.add(QStringLiteral("A"), kRecordA);
        catalog.add(QStringLiteral("B"), kRecordB);
        model.setChoice(QStringLiteral("cbx1PProtocol"), 0);
        model.setChoice(QStringLiteral("cbx2PProtocol"), 1);
        QStringList data, commands;
        EXPECT_TRUE(
            BuildWriteRequests(BlockContext{model, tables, catalog, quiet}, data, commands));
        EXPECT_TRUE(WriteConfigurationFile(path(name), data, commands));
        return path(name);
    }

    void expectIdle()
    {
        EXPECT_TRUE(main().isEnabled());
        EXPECT_FALSE(progress().isVisible());
    }
};

// The name dialog as it opens: `proposed` in its field, which has the keyboard.
std::function<void(QWidget *)> nameDialogProposing(Program &program, const QString &proposed)
{
    return [&program, proposed](QWidget *modal) {
        EXPECT_EQ(modal, &program.windows->saveNewProtocol());
        EXPECT_EQ(program.windows->saveNewProtocol().name(), proposed);
    };
}

// The replace question as it opens: over the name dialog, Enter answering No.
std::function<void(QWidget *)> replaceQuestionFor(Program &program, const QString &name)
{
    return [&program, name](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), replaceQuestion(name));
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        EXPECT_EQ(box->parentWidget(), &program.windows->saveNewProtocol());
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
    };
}

std::function<void(QWidget *)> boxSaying(const QString &text)
{
    return [text](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), text);
    };
}

} // namespace

// A device, or a file, whose two pairs hold two protocols the library does
// not: Enter on every dialog registers both under names of their own, and
// the pairs, the saved file and the library end with the device's records.
TEST(ProtocolRegistration, EnterOnEveryDialogRegistersBothProtocols)
{
    const struct {
        const char *name;
        bool fromDevice;
    } cases[] = {{"reading the device", true}, {"opening a file", false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Program program(test::DeviceWithUnknownProtocols());
        QList<Step> steps;
        if (!c.fromDevice)
            steps.append({kOpenConfiguration,
                          program.configurationWithUnknownProtocols(QStringLiteral("other.snc"))});
        steps += {
            {kAddProtocolCaption,
             {},
             0,
             nameDialogProposing(program, QStringLiteral("Новый протокол"))},
            {kSaveProtocolCaption, program.path(QStringLiteral("1.snp"))},
            {kAddProtocolCaption,
             {},
             0,
             nameDialogProposing(program, QStringLiteral("Новый протокол 2"))},
            {kSaveProtocolCaption, program.path(QStringLiteral("2.snp"))},
        };
        if (c.fromDevice)
            steps.append(
                {kAppTitle, {}, 0, boxSaying(QStringLiteral("Конфигурация прочитана успешно"))});
        {
            test::KeyboardUser user(steps);
            program.click(c.fromDevice ? "btnRead" : "btnOpen");
            test::ExpectAllAnswered(user);
        }
        program.expectIdle();

        const QStringList device{kRecordA, kRecordB};
        EXPECT_EQ(program.pairRecords(), device);
        const auto library = test::ReadProtocolList(program.libraryPath());
        ASSERT_TRUE(library);
        EXPECT_EQ(library->mid(library->size() - 2),
                  QList<test::Protocol>({{QStringLiteral("Новый протокол"), kRecordA},
                                         {QStringLiteral("Новый протокол 2"), kRecordB}}));
        EXPECT_EQ(ProtocolLibrary::ReadProtocolFile(program.path(QStringLiteral("1.snp")))->record,
                  kRecordA);
        EXPECT_EQ(ProtocolLibrary::ReadProtocolFile(program.path(QStringLiteral("2.snp")))->record,
                  kRecordB);

        const QString saved = program.path(QStringLiteral("saved.snc"));
        {
            test::KeyboardUser user({{kSaveConfiguration, saved}});
            program.click("btnSave");
            test::ExpectAllAnswered(user);
        }
        QStringList data, commands;
        ASSERT_TRUE(ReadConfigurationFile(saved, data, commands));
        EXPECT_EQ(data.mid(0, 2), device);
    }
}

// The replace question, reached each way a name can meet a library
// protocol's: Enter answers No, the name dialog stays, and Esc there leaves
// the library and the window as they were.
TEST(ProtocolRegistration, EnterOnTheReplaceQuestionKeepsTheProtocol)
{
    enum class Way { Reading, Opening, Saving, Adding };
    const struct {
        const char *name;
        Way way;
    } cases[] = {
        {"typing a library name when reading", Way::Reading},
        {"typing a library name when opening", Way::Opening},
        {"typing a library name when saving the editor's protocol", Way::Saving},
        {"adding a protocol file named like a library protocol", Way::Adding},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Program program(test::DeviceWithUnknownProtocols());
        const QString known = program.app->protocols().ProtocolNames().value(1);
        ASSERT_FALSE(known.isEmpty());
        const QByteArray libraryBefore = bytesOf(program.libraryPath());
        const QStringList pairsBefore = program.pairRecords();

        QList<Step> steps;
        QString caption = kAddProtocolCaption;
        switch (c.way) {
        case Way::Reading:
            break;
        case Way::Opening:
            steps.append({kOpenConfiguration,
                          program.configurationWithUnknownProtocols(QStringLiteral("other.snc"))});
            break;
        case Way::Saving:
            caption = kSaveInProgram;
            program.showProtocolPage();
            program.app->config().setSlider(QStringLiteral("trbKissoff"), 33); // a new record
            break;
        case Way::Adding: {
            program.showProtocolPage();
            const QString file = program.path(QStringLiteral("same-name.snp"));
            ASSERT_TRUE(test::WriteProtocolFileAs(file, QStringLiteral("1"), known, kRecordA));
            steps.append({kOpenProtocolFile, file});
            break;
        }
        }
        const bool typed = c.way != Way::Adding;
        steps += {
            {caption, typed ? known : QString(), 0,
             typed ? std::function<void(QWidget *)>() : nameDialogProposing(program, known)},
            {caption, {}, 0, replaceQuestionFor(program, known)},
            {caption,
             {},
             Qt::Key_Escape,
             [&program, known](QWidget *modal) {
                 EXPECT_EQ(modal, &program.windows->saveNewProtocol());
                 EXPECT_EQ(program.windows->saveNewProtocol().name(), known);
             }},
        };
        if (c.way == Way::Reading || c.way == Way::Opening)
            steps.append({kAppTitle,
                          {},
                          0,
                          boxSaying(QStringLiteral("Невозможно добавить протокол") + kAbort)});
        {
            test::KeyboardUser user(steps);
            switch (c.way) {
            case Way::Reading:
                program.click("btnRead");
                break;
            case Way::Opening:
                program.click("btnOpen");
                break;
            case Way::Saving:
                program.click("btnProtocol_Save");
                break;
            case Way::Adding:
                program.click("btnProtocol_Add");
                break;
            }
            test::ExpectAllAnswered(user);
        }
        program.expectIdle();
        EXPECT_EQ(bytesOf(program.libraryPath()), libraryBefore);
        EXPECT_EQ(program.pairRecords(), pairsBefore);
        EXPECT_TRUE(QDir(program.folder.path())
                        .entryList({QStringLiteral("prtcls-replaced-*")}, QDir::Files)
                        .isEmpty());
    }
}

// Replacing a library protocol by a protocol file of its name: the user says
// Yes, the protocol replaced is kept in a protocol file beside the library,
// and the user is told where.
TEST(ProtocolRegistration, ReplacedProtocolIsKeptAndTheUserToldWhere)
{
    Program program;
    program.showProtocolPage();
    const QString known = program.app->protocols().ProtocolNames().value(1);
    const QString oldRecord = program.app->protocols().ProtocolRecords().value(1);
    const QString file = program.path(QStringLiteral("same-name.snp"));
    ASSERT_TRUE(test::WriteProtocolFileAs(file, QStringLiteral("1"), known, kRecordA));
    const QString copy = program.path(QStringLiteral("prtcls-replaced-") + SafeFileName(known) +
                                      QStringLiteral(".snp"));
    test::KeyboardUser user({
        {kOpenProtocolFile, file},
        {kAddProtocolCaption, {}, 0, nameDialogProposing(program, known)},
        {kAddProtocolCaption, {}, Qt::Key_Y, replaceQuestionFor(program, known)},
        {kAppTitle,
         {},
         0,
         boxSaying(QStringLiteral("Протокол \"%1\" заменен. Прежний протокол сохранен в файле "
                                  "\"%2\"")
                       .arg(known, QDir::toNativeSeparators(copy)))},
    });
    program.click("btnProtocol_Add");
    test::ExpectAllAnswered(user);

    const auto library = test::ReadProtocolList(program.libraryPath());
    ASSERT_TRUE(library && library->size() > 1);
    EXPECT_EQ(library->at(1), test::Protocol(known, kRecordA));
    const auto kept = ProtocolLibrary::ReadProtocolFile(copy);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->name, known);
    EXPECT_EQ(kept->record, oldRecord);
}

// A configuration file without every entry of the list is refused with the
// file's message; the window keeps its configuration, and «Записать» then
// sends that configuration, nothing of the file.
TEST(ProtocolRegistration, FileWithoutEveryEntryIsRefusedAndNothingOfItIsSent)
{
    Program program;
    program.app->config().setSlider(QStringLiteral("trbPassiveDays"), 6);
    const QStringList before = program.writeList();

    // The file holds another configuration: every value differs from the window's.
    QStringList data, commands;
    {
        ConfigModel model;
        EventCodeTables tables;
        test::FakeProtocolCatalog catalog(model);
        test::FakeNotifier quiet;
        catalog.add(QStringLiteral("A"), kRecordA);
        model.setChoice(QStringLiteral("cbx1PProtocol"), 0);
        model.setChoice(QStringLiteral("cbx2PProtocol"), 0);
        model.setSlider(QStringLiteral("trbPassiveDays"), 2);
        tables.setZoneCode(59, 2, 69, QStringLiteral("ABCD"));
        ASSERT_TRUE(
            BuildWriteRequests(BlockContext{model, tables, catalog, quiet}, data, commands));
    }
    QStringList unknownLast = commands;
    unknownLast.last() = QStringLiteral("0C");
    const struct {
        const char *name;
        QStringList data, commands;
    } files[] = {
        {"857 entries", data.mid(0, 857), commands.mid(0, 857)},
        {"an unknown command in the last entry", data, unknownLast},
    };
    for (const auto &f : files) {
        SCOPED_TRACE(f.name);
        const QString path = program.path(QStringLiteral("short.snc"));
        ASSERT_TRUE(WriteConfigurationFile(path, f.data, f.commands));
        test::KeyboardUser user({
            {kOpenConfiguration, path},
            {kAppTitle,
             {},
             0,
             boxSaying(QStringLiteral("Невозможно прочитать файл. Возможно, файл поврежден."))},
        });
        program.click("btnOpen");
        test::ExpectAllAnswered(user);
        EXPECT_EQ(program.writeList(), before);
    }

    {
        test::KeyboardUser user(
            {{kAppTitle, {}, 0, boxSaying(QStringLiteral("Конфигурация записана успешно"))}});
        program.click("btnWrite");
        test::ExpectAllAnswered(user);
    }
    const QStringList sent = program.sim->finish();
    const qsizetype entries = before.size() / 2;
    ASSERT_EQ(sent.size(), entries);
    for (qsizetype i = 0; i < entries; ++i) {
        const QString request = u':' + before.at(i) + before.at(entries + i);
        EXPECT_TRUE(sent.at(i).contains(request))
            << i << ": " << sent.at(i).toStdString() << " for " << request.toStdString();
    }
}

// prtcls.bin as a named pipe: start-up cannot open the library, and a
// protocol then saved is refused with the message that the library cannot
// be saved; the pipe is never opened and stays what it is.
TEST(ProtocolRegistration, LibraryThatIsAPipeIsReportedWhenAProtocolIsSaved)
{
    std::unique_ptr<test::FifoTrap> trap;
    std::unique_ptr<test::KeyboardUser> startUp = std::make_unique<test::KeyboardUser>(QList<Step>{
        {kAppTitle, {}, 0, boxSaying(QStringLiteral("Невозможно открыть список протоколов."))}});
    Program program({}, {}, [&trap](const QString &folder) {
        const QString library = QDir(folder).filePath(QStringLiteral("prtcls.bin"));
        QFile::remove(library);
        trap = std::make_unique<test::FifoTrap>(library);
    });
    ASSERT_TRUE(trap->created());
    test::ExpectAllAnswered(*startUp);
    startUp.reset();

    program.showProtocolPage();
    const QString file = program.path(QStringLiteral("new.snp"));
    {
        test::KeyboardUser user({
            {kSaveInProgram, {}, 0, nameDialogProposing(program, QStringLiteral("Новый протокол"))},
            {kSaveProtocolCaption, file},
            {kAppTitle,
             {},
             0,
             boxSaying(QStringLiteral("Невозможно сохранить список протоколов."))},
        });
        program.click("btnProtocol_Save");
        test::ExpectAllAnswered(user);
    }
    EXPECT_FALSE(trap->readerWaited());
    EXPECT_FALSE(QFileInfo(program.libraryPath()).isFile());
    EXPECT_TRUE(QFileInfo::exists(program.libraryPath()));
    EXPECT_FALSE(QFileInfo::exists(file));
}

// The progress window's Cancel has the keyboard: Enter presses it as Space
// and Escape do, and the read stops with the window as it was.
TEST(ProtocolRegistration, KeysOnTheProgressWindowsCancelStopTheRead)
{
    for (const int key : {int(Qt::Key_Return), int(Qt::Key_Enter), int(Qt::Key_Space)}) {
        SCOPED_TRACE(key);
        Program program({}, {QStringLiteral("--delay"), QStringLiteral("5")});
        program.app->config().setSlider(QStringLiteral("trbPassiveDays"), 6);
        test::KeyboardUser user({}); // any window that opens is a problem
        bool pressed = false;
        QTimer::singleShot(300, &program.progress(), [&] {
            EXPECT_FALSE(program.main().isEnabled());
            QWidget *focus = QApplication::focusWidget();
            ASSERT_EQ(focus, program.progress().btnCancel);
            QTest::keyClick(focus, Qt::Key(key));
            pressed = true;
        });
        program.click("btnRead");
        EXPECT_TRUE(pressed);
        EXPECT_EQ(user.problems, QStringList());
        EXPECT_EQ(program.app->config().slider(QStringLiteral("trbPassiveDays")), 6);
        program.expectIdle();
        const qsizetype sent = program.sim->finish().size();
        EXPECT_GT(sent, 0);
        EXPECT_LT(sent, 858);
    }
}
