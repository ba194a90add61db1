#include "ProtocolFixtures.h"
#include "common/FakeNotifier.h"

#include "common/TextRecord.h"
#include "config/ConfigModel.h"
#include "protocols/ProtocolEditor.h"
#include "protocols/ProtocolLibrary.h"
#include "protocols/SafeFileName.h"

#include <QDir>
#include <QFile>
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
    EXPECT_EQ(model.choice(Pair2), 0); // not found by its old name: position 0
    EXPECT_EQ(saved(), QList<Protocol>({{"Y: новый/1", A}, {"Z", B}}));
    const auto file = library.ReadProtocolFile(path(QStringLiteral("y.snp")));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->name, QStringLiteral("Y: новый/1"));
    EXPECT_EQ(file->record, A);

    // A known record is only renamed, even to the name of another protocol.
    library.RegisterProtocol(QStringLiteral("z"), A);
    EXPECT_EQ(library.ProtocolNames(), QStringList({"z", "Z"}));
    EXPECT_EQ(library.ProtocolRecords(), QStringList({A, B}));
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

TEST_F(Library, MalformedRecordIsRegisteredAndLeavesTheEditorPartlyChanged)
{
    load({{"A", A}});
    const QString file = path(QStringLiteral("bad.snp"));
    ASSERT_TRUE(test::WriteProtocolFileAs(file, QStringLiteral("1"), QStringLiteral("Плохой"),
                                          QStringLiteral("0304XY")));
    dialogs.openFiles = {file};
    dialogs.names = {QStringLiteral("Плохой")};
    library.btnProtocol_AddClick();
    EXPECT_TRUE(notifier.errors.isEmpty());
    EXPECT_EQ(library.ProtocolRecords().last(), QStringLiteral("0304XY"));
    EXPECT_EQ(editor.chooserIndex(), 1);
    EXPECT_EQ(editor.chooserItems().at(1), QStringLiteral("Плохой"));
    EXPECT_EQ(model.choice(QStringLiteral("rgpHandshake")), 3);
    EXPECT_EQ(model.choice(QStringLiteral("rgpImpulseParams")), 4);
    EXPECT_EQ(model.slider(QStringLiteral("trbKissoff")), 10); // left from protocol A
    EXPECT_EQ(editor.CurrentProtocol(), A);
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
