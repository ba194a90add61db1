#include "ProtocolFixtures.h"
#include "common/FakeNotifier.h"
#include "common/FifoTrap.h"

#include "common/TextRecord.h"
#include "config/ConfigModel.h"
#include "protocols/ProtocolEditor.h"
#include "protocols/ProtocolLibrary.h"
#include "protocols/SafeFileName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifdef __linux__
#include <csignal>
#include <sys/resource.h>
#endif

using namespace sr5n;
using test::Protocol;

namespace {

const QString Pair1 = QStringLiteral("cbx1PProtocol");
const QString Pair2 = QStringLiteral("cbx2PProtocol");

// A record differing from the start record in its kissoff length.
QString recordWithKissoff(int length)
{
    return QStringLiteral("000001000000000000000000000000000505%1")
        .arg(length, 2, 16, QLatin1Char('0'))
        .toUpper();
}

struct Library : ::testing::Test {
    QTemporaryDir folder;
    ConfigModel model;
    ProtocolEditor editor{model};
    test::FakeNotifier notifier;
    test::FakeProtocolDialogs dialogs;
    ProtocolLibrary library{model, editor, notifier, folder.path()};

    const QString A = recordWithKissoff(10), B = recordWithKissoff(11), C = recordWithKissoff(12);

    Library() { library.setDialogs(&dialogs); }

    QString path(const QString &name) const { return QDir(folder.path()).filePath(name); }

    void load(const QList<Protocol> &protocols)
    {
        ASSERT_TRUE(test::WriteProtocolList(library.listFilePath(), protocols));
        ASSERT_TRUE(library.LoadProtocolList());
    }

    std::optional<QList<Protocol>> saved() const
    {
        return test::ReadProtocolList(library.listFilePath());
    }
};

TEST_F(Library, LoadsTheListAndShowsTheFirstProtocol)
{
    load({{"Альфа", A}, {"Бета", B}, {"Гамма", C}});
    EXPECT_EQ(library.ProtocolNames(), QStringList({"Альфа", "Бета", "Гамма"}));
    EXPECT_EQ(library.ProtocolRecords(), QStringList({A, B, C}));
    EXPECT_EQ(editor.chooserItems(), library.ProtocolNames());
    EXPECT_EQ(editor.chooserIndex(), 0);
    EXPECT_EQ(editor.CurrentProtocol(), A);
    EXPECT_EQ(model.slider(QStringLiteral("trbKissoff")), 10);
    EXPECT_TRUE(editor.deleteEnabled());
    for (const QString &pair : {Pair1, Pair2}) {
        EXPECT_EQ(model.choiceItems(pair), library.ProtocolNames());
        EXPECT_EQ(model.choice(pair), 0);
    }
    EXPECT_TRUE(notifier.errors.isEmpty());
    // Lookups ignore letter case, Cyrillic included.
    EXPECT_EQ(library.indexOfName(QStringLiteral("ГАММА")), 2);
    EXPECT_EQ(library.indexOfRecord(B.toLower()), 1);
}

TEST_F(Library, MissingListIsReportedOnceAndTheNextRegistrationCreatesIt)
{
    EXPECT_FALSE(library.LoadProtocolList());
    EXPECT_EQ(notifier.flashes, 1);
    EXPECT_EQ(notifier.errors, QStringList{QStringLiteral("Невозможно открыть список протоколов")});
    EXPECT_EQ(library.protocolCount(), 0);
    EXPECT_EQ(editor.EncodeProtocol(), QLatin1String(test::StartRecord));
    EXPECT_EQ(model.choice(Pair1), -1);
    EXPECT_FALSE(editor.deleteEnabled());

    dialogs.names = {QStringLiteral("С прибора")};
    dialogs.saveFiles = {path(QStringLiteral("device.snp"))};
    EXPECT_TRUE(library.RegisterDeviceProtocol(A, 1));
    EXPECT_EQ(saved(), QList<Protocol>({{"С прибора", A}}));
    EXPECT_EQ(library.ReadProtocolFile(path(QStringLiteral("device.snp")))->name,
              QStringLiteral("С прибора"));
    EXPECT_EQ(notifier.errors.size(), 1);
    EXPECT_TRUE(notifier.informations.isEmpty()); // no file, nothing to keep
}

TEST_F(Library, DamagedListsKeepWhatWasReadCompletely)
{
    // Three protocols announced; the third name's record is missing.
    QFile file(library.listFilePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (const QString &text :
         {QStringLiteral("SR-5/N Protocols List File"), QStringLiteral("1"), QStringLiteral("3"),
          QStringLiteral("A"), A, QStringLiteral("B"), B, QStringLiteral("C")})
        ASSERT_TRUE(WriteTextRecord(text, file));
    file.close();

    EXPECT_FALSE(library.LoadProtocolList());
    EXPECT_EQ(notifier.errors, QStringList{QStringLiteral("Невозможно открыть список протоколов")});
    EXPECT_EQ(library.ProtocolNames(), QStringList({"A", "B"}));
    EXPECT_TRUE(editor.chooserItems().isEmpty()); // the choosers are not refilled
}

TEST_F(Library, DeletingTheMiddleProtocolMovesItsUsersToTheFirst)
{
    load({{"A", A}, {"B", B}, {"C", C}});
    editor.cbxProtocolSelect(1);
    model.setChoice(Pair1, 1);
    model.setChoice(Pair2, 2);

    notifier.answers = {false};
    library.btnProtocol_DeleteClick();
    ASSERT_EQ(notifier.questions.size(), 1);
    EXPECT_EQ(notifier.questions[0].text,
              QStringLiteral("Выбранный протокол будет удален из программы. Файлы с проотоколами "
                             "на жестком диске затронуты не будут. Удалить протокол?"));
    EXPECT_EQ(notifier.questions[0].caption, QStringLiteral("Удаление протокола"));
    EXPECT_EQ(notifier.questions[0].icon, Notifier::QuestionIcon::Warning);
    EXPECT_EQ(library.protocolCount(), 3);

    notifier.answers = {true};
    library.btnProtocol_DeleteClick();
    EXPECT_EQ(library.ProtocolNames(), QStringList({"A", "C"}));
    EXPECT_EQ(editor.chooserIndex(), 0);
    EXPECT_EQ(editor.CurrentProtocol(), A);
    EXPECT_EQ(model.slider(QStringLiteral("trbKissoff")), 10);
    EXPECT_EQ(model.choiceText(Pair1), QStringLiteral("A"));
    EXPECT_EQ(model.choiceText(Pair2), QStringLiteral("C"));
    EXPECT_EQ(saved(), QList<Protocol>({{"A", A}, {"C", C}}));
}

TEST_F(Library, DeletingTheOnlyProtocolLeavesNoSelection)
{
    load({{"A", A}});
    notifier.answers = {true};
    library.btnProtocol_DeleteClick();
    EXPECT_EQ(editor.chooserIndex(), -1);
    EXPECT_FALSE(editor.deleteEnabled());
    EXPECT_EQ(model.choice(Pair1), -1);
    EXPECT_EQ(model.choice(Pair2), -1);
    EXPECT_EQ(saved(), QList<Protocol>());
}

TEST_F(Library, SavingAKnownRecordRenamesIt)
{
    load({{"X", A}, {"Z", B}});
    model.setChoice(Pair2, 0);
    notifier.answers = {false};
    library.btnProtocol_SaveClick();
    ASSERT_EQ(notifier.questions.size(), 1);
    EXPECT_EQ(notifier.questions[0].text,
              QStringLiteral("Данный протокол зарегистрирован в программе под именем \"X\". "
                             "Переименовать?"));
    EXPECT_EQ(notifier.questions[0].icon, Notifier::QuestionIcon::Warning);
    EXPECT_TRUE(notifier.questions[0].caption.isEmpty()); // the application title
    EXPECT_TRUE(dialogs.nameRequests.isEmpty());

    notifier.answers = {true};
    dialogs.names = {QStringLiteral("Y: новый/1")};
    dialogs.saveFiles = {path(QStringLiteral("y.snp"))};
    library.btnProtocol_SaveClick();
    ASSERT_EQ(dialogs.nameRequests.size(), 1);
    EXPECT_EQ(dialogs.nameRequests[0].caption, QStringLiteral("Сохранение протокола в программе"));
    EXPECT_EQ(
        dialogs.nameRequests[0].message,
        QStringLiteral("Введите название протокола или выберите протокол из списка для замены"));
    EXPECT_EQ(dialogs.nameRequests[0].name, QStringLiteral("Новый протокол"));
    EXPECT_EQ(dialogs.nameRequests[0].names, QStringList({"X", "Z"}));
    EXPECT_EQ(dialogs.proposedFiles, QStringList{QStringLiteral("Y_ новый_1")});
    EXPECT_EQ(library.ProtocolNames(), QStringList({"Y: новый/1", "Z"}));
    EXPECT_EQ(model.choice(Pair2), 0); // keeps its protocol under the new name
    EXPECT_EQ(saved(), QList<Protocol>({{"Y: новый/1", A}, {"Z", B}}));
    const auto file = library.ReadProtocolFile(path(QStringLiteral("y.snp")));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->name, QStringLiteral("Y: новый/1"));
    EXPECT_EQ(file->record, A);

    // A known record is never renamed to the name of another protocol.
    EXPECT_FALSE(library.RegisterProtocol(QStringLiteral("z"), A));
    EXPECT_EQ(notifier.errors, QStringList{QStringLiteral(
                                   "Протокол с названием \"z\" уже зарегистрирован в программе. "
                                   "Введите другое название")});
    EXPECT_EQ(library.ProtocolNames(), QStringList({"Y: новый/1", "Z"}));
    EXPECT_EQ(library.ProtocolRecords(), QStringList({A, B}));
    EXPECT_TRUE(library.RegisterProtocol(QStringLiteral("y: НОВЫЙ/1"), A)); // its own name
    EXPECT_EQ(library.ProtocolNames(), QStringList({"y: НОВЫЙ/1", "Z"}));
}

TEST_F(Library, SavingANewRecordUnderAKnownNameReplacesItsRecord)
{
    load({{"Охрана", A}, {"Z", B}});
    model.setSlider(QStringLiteral("trbKissoff"), 12);
    EXPECT_EQ(editor.chooserIndex(), -1);
    dialogs.names = {QStringLiteral("ОХРАНА")};
    dialogs.saveFiles = {path(QStringLiteral("c.snp"))};
    library.btnProtocol_SaveClick();
    EXPECT_TRUE(notifier.questions.isEmpty());
    EXPECT_EQ(library.ProtocolNames(), QStringList({"Охрана", "Z"}));
    EXPECT_EQ(library.ProtocolRecords(), QStringList({C, B}));
    EXPECT_EQ(editor.chooserIndex(), 0);
    EXPECT_TRUE(editor.deleteEnabled());

    // Cancelling the file dialog registers nothing.
    model.setSlider(QStringLiteral("trbKissoff"), 13);
    dialogs.names = {QStringLiteral("Новый")};
    library.btnProtocol_SaveClick();
    EXPECT_EQ(library.protocolCount(), 2);
}

TEST_F(Library, AddingReadsTheProtocolFileAndItsVersion)
{
    load({{"A", A}});
    const struct {
        const char *version;
        bool accepted;
    } versions[] = {{"2", false}, {"0", true}, {"1", true}};
    int added = 1;
    for (const auto &v : versions) {
        notifier.clear();
        const QString file = path(QStringLiteral("v%1.snp").arg(QLatin1String(v.version)));
        const QString record = recordWithKissoff(20 + added);
        ASSERT_TRUE(test::WriteProtocolFileAs(file, QLatin1String(v.version),
                                              QStringLiteral("Из файла"), record));
        dialogs.openFiles = {file};
        dialogs.names = {QStringLiteral("Из файла %1").arg(added)};
        library.btnProtocol_AddClick();
        if (v.accepted) {
            ++added;
            EXPECT_TRUE(notifier.errors.isEmpty()) << v.version;
            EXPECT_EQ(dialogs.nameRequests.last().caption,
                      QStringLiteral("Добавление протокола в программу"));
            EXPECT_EQ(dialogs.nameRequests.last().message,
                      QStringLiteral("Добавить протокол в программу под следующим названием:"));
            EXPECT_EQ(dialogs.nameRequests.last().name, QStringLiteral("Из файла"));
            EXPECT_EQ(editor.CurrentProtocol(), record);
        } else {
            EXPECT_EQ(notifier.flashes, 1);
            EXPECT_EQ(notifier.errors, QStringList{QStringLiteral(
                                           "Невозможно прочитать файл. Возможно, файл поврежден")});
        }
        EXPECT_EQ(library.protocolCount(), added) << v.version;
    }
    EXPECT_EQ(saved()->size(), 3);
}

TEST_F(Library, OnlyRecordsOfThirtyEightHexadecimalDigitsEnter)
{
    // In a list file, a record of another form is left out and the rest is used.
    const QString blank = QString(A).replace(20, 1, QLatin1Char(' '));
    ASSERT_TRUE(test::WriteProtocolList(
        library.listFilePath(),
        {{"A", A.toLower()}, {"Пустой", QString()}, {"C", C}, {"Пробел", blank}}));
    EXPECT_FALSE(library.LoadProtocolList());
    EXPECT_EQ(notifier.errors, QStringList{QStringLiteral("Невозможно открыть список протоколов")});
    EXPECT_EQ(library.ProtocolNames(), QStringList({"A", "C"}));
    EXPECT_EQ(library.ProtocolRecords(), QStringList({A, C})); // kept in upper case
    EXPECT_EQ(model.choiceItems(Pair1), library.ProtocolNames());
    EXPECT_EQ(editor.CurrentProtocol(), A);

    notifier.clear();
    for (const QString &record : {QStringLiteral("0304XY"), blank, A + QStringLiteral("00")}) {
        EXPECT_FALSE(library.RegisterProtocol(QStringLiteral("Плохой"), record));
        EXPECT_FALSE(library.RegisterDeviceProtocol(record, 1));
    }
    EXPECT_EQ(notifier.errors,
              QStringList(3, QStringLiteral(
                                 "Запись протокола должна состоять из 38 шестнадцатеричных цифр")));
    EXPECT_TRUE(dialogs.nameRequests.isEmpty()); // nothing offered for registration
    EXPECT_EQ(library.ProtocolRecords(), QStringList({A, C}));

    // A device record in lower case is registered in upper case.
    dialogs.names = {QStringLiteral("B")};
    dialogs.saveFiles = {path(QStringLiteral("b.snp"))};
    EXPECT_TRUE(library.RegisterDeviceProtocol(B.toLower(), 2));
    EXPECT_EQ(library.ProtocolRecords().last(), B);
    EXPECT_EQ(library.ReadProtocolFile(path(QStringLiteral("b.snp")))->record, B);
}

// Choosers keep the protocol they show by its place in the library: names
// written elsewhere may repeat, and a pair set to the second of two equal
// names keeps it through every change of the library.
TEST_F(Library, PairsKeepTheirProtocolThroughEveryChange)
{
    const QString D = recordWithKissoff(13);
    load({{"B", A}, {"B", B}, {"C", C}});
    model.setChoice(Pair1, 1);
    model.setChoice(Pair2, 2);
    const auto pairRecords = [this] {
        return QStringList{library.recordAt(model.choice(Pair1)),
                           library.recordAt(model.choice(Pair2))};
    };

    dialogs.names = {QStringLiteral("D")};
    dialogs.saveFiles = {path(QStringLiteral("d.snp"))};
    ASSERT_TRUE(library.RegisterDeviceProtocol(D, 1)); // added
    EXPECT_EQ(pairRecords(), QStringList({B, C}));
    ASSERT_TRUE(library.RegisterProtocol(QStringLiteral("E"), C)); // renamed
    EXPECT_EQ(pairRecords(), QStringList({B, C}));
    EXPECT_EQ(model.choiceText(Pair2), QStringLiteral("E"));
    EXPECT_FALSE(library.RegisterProtocol(QStringLiteral("d"), A)); // D is taken
    ASSERT_TRUE(library.RegisterProtocol(QStringLiteral("F"), A));  // renamed to a free name
    EXPECT_EQ(pairRecords(), QStringList({B, C}));

    editor.cbxProtocolSelect(0);
    notifier.answers = {true};
    library.btnProtocol_DeleteClick(); // the first protocol leaves: the others move up
    EXPECT_EQ(library.ProtocolNames(), QStringList({"B", "E", "D"}));
    EXPECT_EQ(pairRecords(), QStringList({B, C}));
    EXPECT_EQ(model.choice(Pair1), 0);
    EXPECT_EQ(model.choice(Pair2), 1);

    editor.cbxProtocolSelect(1);
    notifier.answers = {true};
    library.btnProtocol_DeleteClick(); // pair 2's protocol leaves: it takes the first
    EXPECT_EQ(pairRecords(), QStringList({B, B}));
    EXPECT_EQ(editor.chooserIndex(), 0);
    EXPECT_EQ(saved(), QList<Protocol>({{"B", B}, {"D", D}}));
}

// A list file that failed to load is copied aside before it is first written
// over, once, and the user is told where the copy is.
TEST_F(Library, DamagedListIsKeptBeforeTheFirstWrite)
{
    const QString header = QStringLiteral("SR-5/N Protocols List File");
    const struct {
        const char *name;
        QStringList texts;
        QStringList loaded;
    } cases[] = {
        {"record missing", {header, "1", "2", "A", A, "B"}, {"A"}},
        {"record of another form", {header, "1", "2", "A", "0304XY", "B", B}, {"B"}},
        {"newer version", {header, "2", "1", "A", A}, {}},
        {"not a list file", {"SR-5/N Protocol File", "1", "A", A}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir here;
        ConfigModel m;
        ProtocolEditor e{m};
        test::FakeNotifier told;
        test::FakeProtocolDialogs asked;
        ProtocolLibrary lib{m, e, told, here.path()};
        lib.setDialogs(&asked);
        QFile file(lib.listFilePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (const QString &text : c.texts)
            ASSERT_TRUE(WriteTextRecord(text, file));
        file.close();
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray damaged = file.readAll();
        file.close();

        EXPECT_FALSE(lib.LoadProtocolList());
        EXPECT_EQ(lib.ProtocolNames(), c.loaded);
        EXPECT_TRUE(QFileInfo::exists(lib.listFilePath())); // nothing written yet
        asked.names = {QStringLiteral("C"), QStringLiteral("D")};
        asked.saveFiles = {QDir(here.path()).filePath(QStringLiteral("c.snp")),
                           QDir(here.path()).filePath(QStringLiteral("d.snp"))};
        ASSERT_TRUE(lib.RegisterDeviceProtocol(C, 1));
        ASSERT_TRUE(lib.RegisterDeviceProtocol(recordWithKissoff(14), 1));

        const QString copy = QDir(here.path()).filePath(QStringLiteral("prtcls-damaged.bin"));
        EXPECT_EQ(told.informations,
                  QStringList{QStringLiteral("Список протоколов был поврежден. Его копия "
                                             "сохранена в файле \"%1\"")
                                  .arg(QDir::toNativeSeparators(copy))});
        QFile kept(copy);
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), damaged);
        EXPECT_EQ(test::ReadProtocolList(lib.listFilePath())->size(), c.loaded.size() + 2);
        EXPECT_FALSE(
            QFileInfo::exists(QDir(here.path()).filePath(QStringLiteral("prtcls-damaged-2.bin"))));
    }
}

TEST_F(Library, EarlierCopiesOfADamagedListAreNeverOverwritten)
{
    const QString first = path(QStringLiteral("prtcls-damaged.bin"));
    QFile earlier(first);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
    earlier.close();
    QFile file(library.listFilePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("damaged");
    file.close();

    EXPECT_FALSE(library.LoadProtocolList());
    dialogs.names = {QStringLiteral("C")};
    dialogs.saveFiles = {path(QStringLiteral("c.snp"))};
    ASSERT_TRUE(library.RegisterDeviceProtocol(C, 1));
    QFile kept(path(QStringLiteral("prtcls-damaged-2.bin")));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("damaged"));
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), QByteArray("earlier"));
}

TEST_F(Library, DeviceProtocolsAreMatchedOrRegisteredForTheirPair)
{
    load({{"A", A}});
    model.setChoice(Pair1, 0);
    EXPECT_TRUE(library.RegisterDeviceProtocol(A.toLower(), 1));
    EXPECT_TRUE(dialogs.nameRequests.isEmpty());

    // Cancelled in the name dialog, then in the file dialog.
    EXPECT_FALSE(library.RegisterDeviceProtocol(B, 2));
    ASSERT_EQ(dialogs.nameRequests.size(), 1);
    EXPECT_EQ(dialogs.nameRequests[0].caption, QStringLiteral("Добавление протокола в программу"));
    EXPECT_EQ(dialogs.nameRequests[0].message,
              QStringLiteral("Указанный протокол для 2ой пары номеров не зарегистрирован в "
                             "программе. Чтобы добавить протокол, введите название:"));
    EXPECT_EQ(dialogs.nameRequests[0].name, QStringLiteral("Новый протокол"));
    dialogs.names = {QStringLiteral("B")};
    EXPECT_FALSE(library.RegisterDeviceProtocol(B, 2));
    EXPECT_EQ(library.protocolCount(), 1);

    dialogs.names = {QStringLiteral("B")};
    dialogs.saveFiles = {path(QStringLiteral("b.snp"))};
    EXPECT_TRUE(library.RegisterDeviceProtocol(B, 2));
    EXPECT_EQ(library.indexOfRecord(B), 1);
    EXPECT_EQ(model.choiceText(Pair1), QStringLiteral("A"));
    EXPECT_EQ(saved(), QList<Protocol>({{"A", A}, {"B", B}}));

    // A protocol file that cannot be written fails the registration after registering.
    dialogs.names = {QStringLiteral("C")};
    dialogs.saveFiles = {path(QStringLiteral("missing/c.snp"))};
    EXPECT_FALSE(library.RegisterDeviceProtocol(C, 1));
    EXPECT_EQ(notifier.errors, QStringList{QStringLiteral("Невозможно сохранить файл")});
    EXPECT_EQ(library.protocolCount(), 3);
}

// Two registrations in a row never propose one name: Enter on every dialog
// must not replace the protocol just registered.
TEST_F(Library, ProposedNamesAreNamesNoProtocolHas)
{
    load({{"Новый протокол", A}, {"новый протокол 2", B}});
    EXPECT_EQ(library.freeProtocolName(), QStringLiteral("Новый протокол 3"));
    const QString D = recordWithKissoff(13);
    int file = 0;
    for (const QString &record : {C, D}) {
        dialogs.names = {library.freeProtocolName()};
        dialogs.saveFiles = {path(QStringLiteral("%1.snp").arg(++file))};
        ASSERT_TRUE(library.RegisterDeviceProtocol(record, 1));
    }
    ASSERT_EQ(dialogs.nameRequests.size(), 2);
    EXPECT_EQ(dialogs.nameRequests[0].name, QStringLiteral("Новый протокол 3"));
    EXPECT_EQ(dialogs.nameRequests[1].name, QStringLiteral("Новый протокол 4"));
    EXPECT_EQ(library.ProtocolRecords(), QStringList({A, B, C, D}));

    // The editor's Save proposes a free name as well.
    model.setSlider(QStringLiteral("trbKissoff"), 30);
    library.btnProtocol_SaveClick();
    EXPECT_EQ(dialogs.nameRequests.last().name, QStringLiteral("Новый протокол 5"));
}

// Pair 2's registration cannot replace the protocol pair 1 just received.
TEST_F(Library, TheOtherPairsProtocolCannotBeReplaced)
{
    load({{"Первый", A}, {"Второй", B}});
    dialogs.names = {QStringLiteral("Третий")};
    dialogs.saveFiles = {path(QStringLiteral("c.snp"))};
    ASSERT_TRUE(library.RegisterDeviceProtocol(C, 2, {A.toLower()}));
    ASSERT_EQ(dialogs.nameRequests.size(), 1);
    EXPECT_EQ(dialogs.nameRequests[0].taken, QStringList{QStringLiteral("Первый")});
    EXPECT_EQ(dialogs.nameRequests[0].names, QStringList({"Первый", "Второй"}));
}

// A protocol whose record is replaced under its name is kept in a protocol
// file beside the list file, never over an earlier copy, and the user is told.
TEST_F(Library, ReplacedProtocolIsKeptBesideTheLibrary)
{
    load({{"Охрана: 1", A}, {"Z", B}});
    const QString D = recordWithKissoff(13);
    const struct {
        QString record, copy, kept;
    } replacements[] = {
        {C, path(QStringLiteral("prtcls-replaced-Охрана_ 1.snp")), A},
        {D, path(QStringLiteral("prtcls-replaced-Охрана_ 1-2.snp")), C},
    };
    for (const auto &r : replacements) {
        notifier.clear();
        ASSERT_TRUE(library.RegisterProtocol(QStringLiteral("ОХРАНА: 1"), r.record));
        EXPECT_EQ(notifier.informations,
                  QStringList{QStringLiteral("Протокол \"Охрана: 1\" заменен. Прежний протокол "
                                             "сохранен в файле \"%1\"")
                                  .arg(QDir::toNativeSeparators(r.copy))});
        const auto kept = ProtocolLibrary::ReadProtocolFile(r.copy);
        ASSERT_TRUE(kept);
        EXPECT_EQ(kept->name, QStringLiteral("Охрана: 1"));
        EXPECT_EQ(kept->record, r.kept);
        EXPECT_EQ(library.ProtocolRecords(), QStringList({r.record, B}));
    }
}

// A list file that is not a regular file is never written through, and the
// user is told that the library cannot be saved.
TEST_F(Library, ListFileThatIsNoRegularFileIsReportedWhenSaved)
{
    for (const bool pipe : {false, true}) {
        SCOPED_TRACE(pipe ? "a named pipe" : "a folder");
        QTemporaryDir here;
        ConfigModel m;
        ProtocolEditor e{m};
        test::FakeNotifier told;
        test::FakeProtocolDialogs asked;
        ProtocolLibrary lib{m, e, told, here.path()};
        lib.setDialogs(&asked);
        std::optional<test::FifoTrap> trap;
        if (pipe) {
            trap.emplace(lib.listFilePath());
            ASSERT_TRUE(trap->created());
        } else {
            ASSERT_TRUE(QDir(here.path()).mkdir(QStringLiteral("prtcls.bin")));
        }
        EXPECT_FALSE(lib.LoadProtocolList());
        asked.names = {QStringLiteral("С прибора")};
        asked.saveFiles = {QDir(here.path()).filePath(QStringLiteral("c.snp"))};
        EXPECT_FALSE(lib.RegisterDeviceProtocol(C, 1));
        EXPECT_EQ(told.errors,
                  QStringList({QStringLiteral("Невозможно открыть список протоколов"),
                               QStringLiteral("Невозможно сохранить список протоколов")}));
        EXPECT_EQ(told.flashes, 2);
        EXPECT_FALSE(QFileInfo(lib.listFilePath()).isFile());
        EXPECT_FALSE(QFileInfo::exists(QDir(here.path()).filePath(QStringLiteral("c.snp"))));
        if (trap) {
            EXPECT_FALSE(trap->readerWaited());
        }
    }
}

// Another writer of the list file (the command line) adds a protocol after
// this library loaded it: this library's next save keeps it, and the choosers
// keep their protocols.
TEST_F(Library, SaveKeepsWhatAnotherWriterAddedMeanwhile)
{
    load({{"A", A}, {"B", B}});
    model.setChoice(Pair2, 1);
    {
        ConfigModel m;
        ProtocolEditor e{m};
        test::FakeNotifier told;
        ProtocolLibrary other{m, e, told, folder.path()};
        ASSERT_TRUE(other.LoadProtocolList());
        ASSERT_TRUE(other.RegisterProtocol(C, C));
        ASSERT_TRUE(other.SaveProtocolList());
    }
    const QString D = recordWithKissoff(13);
    dialogs.names = {QStringLiteral("D")};
    dialogs.saveFiles = {path(QStringLiteral("d.snp"))};
    ASSERT_TRUE(library.RegisterDeviceProtocol(D, 1));
    EXPECT_EQ(saved(), QList<Protocol>({{"A", A}, {"B", B}, {C, C}, {"D", D}}));
    EXPECT_EQ(library.ProtocolRecords(), QStringList({A, B, C, D}));
    EXPECT_EQ(model.choiceItems(Pair1), library.ProtocolNames());
    EXPECT_EQ(model.choiceText(Pair2), QStringLiteral("B"));
    EXPECT_EQ(editor.chooserItems(), library.ProtocolNames());
}

TEST(SafeFileName, ReplacesTheNineForbiddenCharacters)
{
    EXPECT_EQ(SafeFileName(QStringLiteral("Охрана: объект 1/2")),
              QStringLiteral("Охрана_ объект 1_2"));
    EXPECT_EQ(SafeFileName(QStringLiteral("a\\b/c:d*e?f\"g<h>i|j k")),
              QStringLiteral("a_b_c_d_e_f_g_h_i_j k"));
}

#ifdef __linux__
TEST_F(Library, AFailedListWriteKeepsThePreviousFile)
{
    load({{"A", A}});
    QFile before(library.listFilePath());
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray old = before.readAll();
    before.close();

    dialogs.names = {QString(300, u'Д')};
    dialogs.saveFiles = {path(QStringLiteral("big.snp"))};
    model.setSlider(QStringLiteral("trbKissoff"), 200);
    // Files may not grow beyond the old list's size while saving.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = rlim_t(old.size());
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    library.btnProtocol_SaveClick();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(notifier.errors,
              QStringList{QStringLiteral("Невозможно сохранить список протоколов")});
    EXPECT_EQ(notifier.flashes, 1);
    EXPECT_EQ(library.protocolCount(), 2); // the library in memory keeps the new entry
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("big.snp"))));
    QFile after(library.listFilePath());
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), old);
}
#endif

} // namespace
